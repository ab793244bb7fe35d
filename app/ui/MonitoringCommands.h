#pragma once

#include <chrono>
#include <string>

#include "app/coordinator/AppCoordinator.h"
#include "core/platform/Clock.h"

namespace plovik::ui {

// The monitoring switch and the pause commands shared by the tray menu, the settings
// window and its command bar.
class MonitoringCommands {
  public:
    static constexpr std::chrono::seconds kShortPause{900};
    static constexpr std::chrono::seconds kLongPause{3600};

    MonitoringCommands(AppCoordinator& coordinator, const Clock& clock);

    // On while monitoring is enabled and no pause is running.
    bool isSwitchOn() const;
    // "Paused" during a pause, otherwise "Enabled".
    std::string switchLabel() const;
    // Off only disables monitoring; on also ends a pause.
    void setSwitch(bool on);
    void pauseFor(std::chrono::seconds duration);
    // The current word is kept: typing may go on where it was.
    void resume();

    // Onboarding was never finished, or a permission is missing.
    bool shouldShowOnboarding() const;

  private:
    AppCoordinator& coordinator_;
    const Clock& clock_;
};

}  // namespace plovik::ui
