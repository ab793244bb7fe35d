#include "app/coordinator/PermissionSupervisor.h"

#include <utility>

namespace plovik {

PermissionSupervisor::PermissionSupervisor(PermissionService& permissions,
                                           InputSourceService& inputSources, MainQueue& mainQueue,
                                           std::shared_ptr<KeyboardEventMonitor> monitor,
                                           CoordinatorState& state)
    : permissions_(permissions),
      inputSources_(inputSources),
      mainQueue_(mainQueue),
      monitor_(std::move(monitor)),
      state_(state) {}

PermissionSupervisor::~PermissionSupervisor() {
    if (pollTimer_) {
        pollTimer_->invalidate();
    }
}

void PermissionSupervisor::refresh() {
    const PermissionSnapshot snapshot = permissions_.snapshot();
    if (snapshot != state_.permissionSnapshot.get()) {
        state_.permissionSnapshot = snapshot;
    }
    inputSources_.refresh();
    if (!snapshot.isReady()) {
        monitor_->stop();
        publishError(std::nullopt);
        return;
    }
    try {
        monitor_->start();
        publishError(std::nullopt);
    } catch (const KeyboardEventMonitor::StartError& error) {
        publishError(error.description());
    }
}

void PermissionSupervisor::schedulePoll(std::function<void()> poll) {
    pollTimer_ = mainQueue_.scheduleRepeating(kPollInterval, std::move(poll));
}

void PermissionSupervisor::publishError(std::optional<std::string> error) {
    // Observers hear of a change only.
    if (error || state_.monitoringError.get()) {
        state_.monitoringError = std::move(error);
    }
}

}  // namespace plovik
