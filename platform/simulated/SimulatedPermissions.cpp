#include "platform/simulated/SimulatedPermissions.h"

namespace plovik {

SimulatedPermissions::SimulatedPermissions(
    std::shared_ptr<SimulatedAccessibilityEnvironment> environment)
    : environment_(std::move(environment)) {}

bool SimulatedPermissions::requestListenEventAccess() {
    ++listenEventRequestCount_;
    return inputMonitoringGranted_;
}

}  // namespace plovik
