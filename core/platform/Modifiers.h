#pragma once

#include <cstdint>
#include <initializer_list>

namespace plovik {

enum class Modifier : std::uint8_t {
    shift = 1 << 0,
    control = 1 << 1,
    alt = 1 << 2,
    super = 1 << 3,
    capsLock = 1 << 4,
    numLock = 1 << 5,
    levelThree = 1 << 6,
};

// A set of modifiers held (or locked) with a key.
class Modifiers {
  public:
    constexpr Modifiers() = default;
    constexpr Modifiers(std::initializer_list<Modifier> modifiers) {
        for (const auto modifier : modifiers) {
            bits_ |= static_cast<std::uint8_t>(modifier);
        }
    }

    constexpr bool contains(Modifier modifier) const {
        return (bits_ & static_cast<std::uint8_t>(modifier)) != 0;
    }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr Modifiers operator|(Modifier modifier) const {
        Modifiers result = *this;
        result.bits_ |= static_cast<std::uint8_t>(modifier);
        return result;
    }

    constexpr bool operator==(const Modifiers&) const = default;

  private:
    std::uint8_t bits_ = 0;
};

}  // namespace plovik
