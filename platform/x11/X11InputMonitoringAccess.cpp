#include "platform/x11/X11InputMonitoringAccess.h"

namespace plovik {

X11InputMonitoringAccess::X11InputMonitoringAccess(
    Environment environment, std::function<std::optional<std::string>()> captureProblem)
    : environment_(std::move(environment)), captureProblem_(std::move(captureProblem)) {}

bool X11InputMonitoringAccess::isWaylandSession(const Environment& environment) {
    const auto display = environment("WAYLAND_DISPLAY");
    return (display && !display->empty()) || environment("XDG_SESSION_TYPE") == "wayland";
}

std::optional<std::string> X11InputMonitoringAccess::problem() const {
    if (isWaylandSession(environment_)) {
        return std::string(kWaylandMessage);
    }
    return captureProblem_();
}

bool X11InputMonitoringAccess::preflightListenEventAccess() const {
    return !problem();
}

}  // namespace plovik
