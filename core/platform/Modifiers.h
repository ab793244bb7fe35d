#pragma once

#include <cstdint>

namespace plovik {

// One modifier of a key press. Level three is the third-level shift (AltGr).
enum class Modifier : std::uint8_t {
    shift = 1 << 0,
    control = 1 << 1,
    alt = 1 << 2,
    super = 1 << 3,
    capsLock = 1 << 4,
    numLock = 1 << 5,
    levelThree = 1 << 6,
};

// A set of modifiers.
class Modifiers {
  public:
    constexpr Modifiers() = default;
    constexpr Modifiers(Modifier modifier) : bits_(static_cast<std::uint8_t>(modifier)) {}

    static constexpr Modifiers fromBits(std::uint8_t bits) { return Modifiers(bits); }
    constexpr std::uint8_t bits() const { return bits_; }

    constexpr bool has(Modifier modifier) const {
        return (bits_ & static_cast<std::uint8_t>(modifier)) != 0;
    }
    constexpr bool hasAny(Modifiers others) const { return (bits_ & others.bits_) != 0; }
    constexpr bool empty() const { return bits_ == 0; }

    constexpr Modifiers operator|(Modifiers other) const { return Modifiers(bits_ | other.bits_); }
    constexpr Modifiers operator&(Modifiers other) const { return Modifiers(bits_ & other.bits_); }
    constexpr Modifiers without(Modifiers other) const { return Modifiers(bits_ & ~other.bits_); }
    constexpr Modifiers& operator|=(Modifiers other) { return *this = *this | other; }

    constexpr bool operator==(const Modifiers&) const = default;

  private:
    constexpr explicit Modifiers(unsigned bits) : bits_(static_cast<std::uint8_t>(bits)) {}

    std::uint8_t bits_ = 0;
};

constexpr Modifiers operator|(Modifier first, Modifier second) {
    return Modifiers(first) | Modifiers(second);
}

}  // namespace plovik
