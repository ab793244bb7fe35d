#pragma once

#include <optional>

#include "core/capture/ShortcutDefinition.h"
#include "core/platform/Key.h"
#include "core/platform/Modifiers.h"

namespace plovik {

// A stored shortcut as the desktop sees it: a physical key and the modifiers held with it.
struct KeyCombination {
    Key key;
    Modifiers modifiers;

    // Modifier bits other than Shift, Control, Option and Command are dropped. Absent when
    // the stored key has no Linux key.
    static std::optional<KeyCombination> fromShortcut(const ShortcutDefinition& shortcut);

    bool operator==(const KeyCombination&) const = default;
};

}  // namespace plovik
