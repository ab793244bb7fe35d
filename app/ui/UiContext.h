#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/coordinator/AppCoordinator.h"
#include "app/ui/ApplicationCatalog.h"
#include "core/capture/ShortcutDefinition.h"
#include "core/platform/Clock.h"
#include "core/settings/SettingsStore.h"

namespace plovik::ui {

// What every window is handed by the shell. Everything outlives the windows.
struct UiContext {
    using ConflictDescription =
        std::function<std::optional<std::string>(const ShortcutDefinition&)>;

    SettingsStore& settingsStore;
    AppCoordinator& coordinator;
    ApplicationCatalog& applications;
    // The reason a shortcut is taken by another program; absent when it is free.
    ConflictDescription conflictDescription;
    const Clock& clock;
    // The executable actually running, so that two installed copies can be told apart.
    std::string runningCopyPath;
    std::string version;
    std::string build;
};

}  // namespace plovik::ui
