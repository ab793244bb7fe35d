#include "core/monitors/ActiveApplicationMonitor.h"

namespace plovik {

ActiveApplicationMonitor::ActiveApplicationMonitor(ActiveApplication& workspace) {
    if (const auto frontmost = workspace.frontmostApplication()) {
        bundleIdentifier_ = frontmost->bundleIdentifier;
        displayName_ = frontmost->localizedName;
    }
    observer_ = workspace.observeActivations(
        [this](const ApplicationActivation& activation) { applicationActivated(activation); });
}

void ActiveApplicationMonitor::applicationActivated(const ApplicationActivation& activation) {
    if (!activation.application) {
        return;
    }
    // Assigned even when unchanged, so that observers hear of every activation.
    bundleIdentifier_ = activation.application->bundleIdentifier;
    displayName_ = activation.application->localizedName;
}

}  // namespace plovik
