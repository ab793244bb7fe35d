#pragma once

#include <optional>
#include <string>

#include "core/capture/ShortcutDefinition.h"
#include "core/platform/ShortcutProbe.h"

namespace plovik {

// The warning the shortcut settings show next to a shortcut: the caveat of Alt-Space, or
// that the desktop or another program already holds the combination. Main thread.
class ShortcutConflictDetector {
  public:
    static constexpr const char* kAltSpaceCaveat =
        "Alt-Space can be used by your desktop's window menu, some input-source or "
        "third-party launcher configurations. If it does not work, record another shortcut.";
    static constexpr const char* kReservedMessage =
        "This shortcut is already reserved by your desktop or another application.";

    explicit ShortcutConflictDetector(ShortcutProbe& probe) : probe_(probe) {}

    // Absent when nothing is to be said. Alt-Space always gets its caveat, unprobed.
    std::optional<std::string> conflictDescription(const ShortcutDefinition& shortcut) const;

  private:
    ShortcutProbe& probe_;
};

}  // namespace plovik
