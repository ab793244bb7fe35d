#pragma once

#include <optional>
#include <string>
#include <utility>

#include "core/capture/KeyboardEventMonitor.h"
#include "core/capture/ShortcutDefinition.h"
#include "core/platform/KeyCapture.h"

namespace plovik::testing {

constexpr Modifiers kCapsLock = Modifier::capsLock;
constexpr Modifiers kShift = Modifier::shift;
constexpr Modifiers kControl = Modifier::control;
constexpr Modifiers kAlt = Modifier::alt;
constexpr Modifiers kSuper = Modifier::super;
constexpr Modifiers kLevelThree = Modifier::levelThree;
constexpr Modifiers kNumLock = Modifier::numLock;

inline KeyEvent keyEvent(Key key, std::optional<std::string> text, Modifiers modifiers = {}) {
    KeyEvent event;
    event.key = key;
    event.modifiers = modifiers;
    event.text = std::move(text);
    return event;
}

// The preset manual, undo and pause shortcuts.
inline KeyboardEventMonitor::Shortcuts presetShortcuts() {
    return {ShortcutDefinition::altSpace(), ShortcutDefinition::altShiftSpace(),
            ShortcutDefinition::altSuperP(), ShortcutDefinition::altSuperC()};
}

}  // namespace plovik::testing
