#include "core/capture/ShortcutConflictDetector.h"

namespace plovik {

std::optional<std::string> ShortcutConflictDetector::conflictDescription(
    const ShortcutDefinition& shortcut) const {
    if (shortcut == ShortcutDefinition::altSpace()) {
        return kAltSpaceCaveat;
    }
    const auto key = shortcut.key();
    // A key the desktop has no name for cannot be held by Plovik either.
    if (!key || probe_.isTaken(*key, shortcut.comparedModifiers())) {
        return kReservedMessage;
    }
    return std::nullopt;
}

}  // namespace plovik
