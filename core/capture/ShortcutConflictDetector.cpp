#include "core/capture/ShortcutConflictDetector.h"

#include "core/capture/KeyCombination.h"

namespace plovik {

std::optional<std::string> ShortcutConflictDetector::conflictDescription(
    const ShortcutDefinition& shortcut) const {
    if (shortcut == ShortcutDefinition::optionSpace()) {
        return kAltSpaceCaveat;
    }
    const auto combination = KeyCombination::fromShortcut(shortcut);
    // A key the desktop has no name for cannot be held by Plovik either.
    if (!combination || probe_.isTaken(combination->key, combination->modifiers)) {
        return kReservedMessage;
    }
    return std::nullopt;
}

}  // namespace plovik
