#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/capture/ShortcutDefinition.h"

namespace plovik {

// A change to the user's desktop that Plovik needs before it can see typing there
// (on GNOME: its own input sources in place of the user's, and its Shell extension),
// explained to the user, made on request and undone exactly.
class DesktopIntegration {
  public:
    struct Status {
        // Plovik's part of the desktop is in place.
        bool isOn = false;
        // Its helper is installed but the desktop loads it only at the next log-in.
        bool needsLogOut = false;
        // What turning it on would change, one line per item, for the user to read.
        std::vector<std::string> changes;
        // Why it cannot be turned on; absent when it can.
        std::optional<std::string> problem;
    };

    virtual ~DesktopIntegration() = default;

    virtual Status status() = 0;
    // Absent on success, otherwise what went wrong (nothing of the user's is lost).
    virtual std::optional<std::string> turnOn() = 0;
    virtual std::optional<std::string> turnOff() = 0;
    // Whether the desktop itself takes the shortcut, so that Plovik never sees it, in a
    // binding the user may give up (GNOME's window menu, Alt+Space).
    virtual bool desktopTakes(const ShortcutDefinition& shortcut) = 0;
    // Gives the shortcut up on the desktop's side; false when it could not.
    virtual bool freeForPlovik(const ShortcutDefinition& shortcut) = 0;
};

}  // namespace plovik
