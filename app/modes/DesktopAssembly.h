#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "app/coordinator/AppCoordinator.h"
#include "core/platform/Clock.h"
#include "core/settings/SettingsStore.h"
#include "platform/x11/X11FreezeRecord.h"

namespace plovik {

class DesktopIntegration;

// The coordinator on the user's real desktop with the backends of its session, built in
// two steps: opening takes nothing from the desktop, so that a second copy of the
// program can still step aside before the coordinator claims the keyboard.
class DesktopAssembly {
  public:
    virtual ~DesktopAssembly() = default;

    // The assembly for this session: GNOME on Wayland through Plovik's input sources,
    // otherwise X11. Why the session cannot be used; `mode` names the program in the
    // message ("plovik --headless").
    static std::variant<std::unique_ptr<DesktopAssembly>, std::string> open(
        const std::string& mode);

    // Reads the settings and creates the coordinator, which starts correcting once both
    // permissions are there. A readable reason when there is no place for the settings.
    virtual std::optional<std::string> startCoordinator() = 0;
    // Why corrections cannot happen yet; absent when they can.
    virtual std::optional<std::string> missingPermission() const = 0;
    // Where Plovik corrects, for its first log line ("on :1 with the layouts xkb:us xkb:ru").
    virtual std::string description() const = 0;
    // `onLost` runs once, on the main thread, with the reason for the user, when the
    // session the assembly depends on is gone and the program should end.
    virtual void watchForLoss(std::function<void(const std::string&)> onLost) = 0;
    // How long corrections held the user's keys; absent before the first hold or where
    // the desktop does not measure it.
    virtual std::optional<X11FreezeRecord::Summary> keyboardHolds() const { return std::nullopt; }
    // What the desktop needs set up before Plovik can work there; null when nothing.
    virtual DesktopIntegration* integration() { return nullptr; }

    // Valid after startCoordinator().
    virtual SettingsStore& settingsStore() = 0;
    virtual AppCoordinator& coordinator() = 0;
    virtual const Clock& clock() const = 0;
};

}  // namespace plovik
