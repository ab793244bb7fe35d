#pragma once

#include <string>

#include "app/coordinator/AppCoordinator.h"
#include "app/modes/DesktopIntegration.h"
#include "app/modes/DesktopKind.h"
#include "core/platform/Clock.h"
#include "core/settings/SettingsStore.h"

namespace plovik::ui {

// What every window is handed by the shell. Everything outlives the windows.
struct UiContext {
    SettingsStore& settingsStore;
    AppCoordinator& coordinator;
    const Clock& clock;
    // The executable actually running, so that two installed copies can be told apart.
    std::string runningCopyPath;
    std::string version;
    std::string build;
    // What the desktop needs set up before Plovik sees typing there (GNOME on Wayland);
    // null where nothing does.
    DesktopIntegration* desktopIntegration = nullptr;
    // What the permission texts say depends on it.
    DesktopKind desktop = DesktopKind::x11;
};

}  // namespace plovik::ui
