#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace plovik {

// The one table between core's virtual key codes (US positions: A 0, S 1, Space 49,
// Return 36, ...) and XKB key codes (evdev code + 8).
class XkbKeyCodeTable {
  public:
    static std::optional<std::uint32_t> xkbKeyCode(std::uint16_t virtualKeyCode);
    static std::optional<std::uint16_t> virtualKeyCode(std::uint32_t xkbKeyCode);
    // Every virtual key code the table knows, ascending.
    static std::vector<std::uint16_t> virtualKeyCodes();
};

}  // namespace plovik
