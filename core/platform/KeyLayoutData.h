#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace plovik {

// What one key press typed: up to 16 UTF-16 code units.
struct KeyTranslationOutput {
    static constexpr std::size_t kCapacity = 16;

    std::array<char16_t, kCapacity> units{};
    // May exceed kCapacity when the key's text did not fit; then nothing was written.
    std::size_t length = 0;
};

enum class KeyTranslationStatus {
    success,
    // The key code has no place in this key map. (A key with nothing at the asked
    // level succeeds and types nothing, as a real press would.)
    invalidKeyCode,
    // The dead-key state was not made by this key map.
    invalidDeadKeyState,
    // The text does not fit into the output.
    outputTooLong,
};

// One keyboard layout's key map. Translation is a pure function of its arguments;
// the dead-key state carries a pending accent from one call to the next (0: none).
class KeyLayoutData {
  public:
    // Modifier-state bits of the key map (not the event-flag bits).
    static constexpr std::uint32_t kShiftState = 0x02;
    static constexpr std::uint32_t kCapsLockState = 0x04;
    static constexpr std::uint32_t kOptionState = 0x08;

    virtual ~KeyLayoutData() = default;

    // Translates a key-down of `keyCode` (a virtual key code). A dead key leaves
    // `deadKeyState` non-zero and the output empty; the next key composes with it.
    // On failure `deadKeyState` is left unchanged.
    virtual KeyTranslationStatus translate(std::uint16_t keyCode, std::uint32_t modifierState,
                                           std::uint32_t keyboardType, std::uint32_t& deadKeyState,
                                           KeyTranslationOutput& output) const = 0;
};

}  // namespace plovik
