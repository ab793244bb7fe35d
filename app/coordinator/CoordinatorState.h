#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/monitors/PermissionSnapshot.h"
#include "core/replacement/LastCorrection.h"
#include "core/replacement/TextReplacementMethod.h"
#include "core/support/Published.h"

namespace plovik {

// What the user interface shows, written by the coordinator's collaborators.
struct CoordinatorState {
    Published<PermissionSnapshot> permissionSnapshot;
    Published<std::optional<LastCorrection>> lastCorrection;
    Published<std::optional<std::string>> statusMessage;
    Published<std::optional<std::string>> monitoringError;
    // Why the settings or the learning history cannot be read or saved, one line each.
    Published<std::vector<std::string>> storageProblems;
    Published<std::optional<TextReplacementMethod>> lastReplacementMethod;
    Published<bool> canCheckForUpdates{false};
};

}  // namespace plovik
