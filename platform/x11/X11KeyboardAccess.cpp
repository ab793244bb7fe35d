#include "platform/x11/X11KeyboardAccess.h"

namespace plovik {

X11KeyboardAccess::X11KeyboardAccess(Environment environment,
                                     std::function<std::optional<std::string>()> captureProblem)
    : environment_(std::move(environment)), captureProblem_(std::move(captureProblem)) {}

bool X11KeyboardAccess::isWaylandSession(const Environment& environment) {
    const auto display = environment("WAYLAND_DISPLAY");
    return (display && !display->empty()) || environment("XDG_SESSION_TYPE") == "wayland";
}

std::optional<std::string> X11KeyboardAccess::problem() const {
    if (isWaylandSession(environment_)) {
        return std::string(kWaylandMessage);
    }
    return captureProblem_();
}

bool X11KeyboardAccess::hasAccess() const {
    return !problem();
}

}  // namespace plovik
