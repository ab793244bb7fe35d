#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "core/capture/KeyboardEventMonitor.h"
#include "core/capture/ShortcutDefinition.h"
#include "core/platform/KeyEventTap.h"

namespace plovik::testing {

// Modifier flags as the desktop reports them on a key event, written out here rather than
// taken from the code under test so that a changed value shows up.
constexpr std::uint64_t kCapsLock = 0x10000;
constexpr std::uint64_t kShift = 0x20000;
constexpr std::uint64_t kControl = 0x40000;
constexpr std::uint64_t kOption = 0x80000;
constexpr std::uint64_t kCommand = 0x100000;
constexpr std::uint64_t kNumericPad = 0x200000;
constexpr std::uint64_t kFunction = 0x800000;

inline KeyEvent keyEvent(std::uint16_t keyCode, std::optional<std::string> characters,
                         std::uint64_t flags = 0) {
    KeyEvent event;
    event.keyCode = keyCode;
    event.flags = flags;
    event.characters = std::move(characters);
    return event;
}

// The preset manual, undo and pause shortcuts.
inline KeyboardEventMonitor::Shortcuts presetShortcuts() {
    return {ShortcutDefinition::optionSpace(), ShortcutDefinition::optionShiftSpace(),
            ShortcutDefinition::optionCommandP()};
}

}  // namespace plovik::testing
