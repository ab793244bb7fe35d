#include "platform/simulated/SimulatedPermissions.h"

namespace plovik {

SimulatedPermissions::SimulatedPermissions(
    std::shared_ptr<SimulatedAccessibilityEnvironment> environment)
    : environment_(std::move(environment)) {}

void SimulatedPermissions::setInputMonitoringGranted(bool granted) {
    inputMonitoringGranted_ = granted;
    if (inputMonitoringListener_) {
        inputMonitoringListener_(granted);
    }
}

void SimulatedPermissions::setInputMonitoringListener(std::function<void(bool)> listener) {
    inputMonitoringListener_ = std::move(listener);
    if (inputMonitoringListener_) {
        inputMonitoringListener_(inputMonitoringGranted_);
    }
}

bool SimulatedPermissions::requestAccess() {
    ++listenEventRequestCount_;
    return inputMonitoringGranted_;
}

}  // namespace plovik
