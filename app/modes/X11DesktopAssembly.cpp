#include "app/modes/X11DesktopAssembly.h"

#include <cstdlib>
#include <sstream>
#include <utility>

#include "core/platform/Key.h"
#include "platform/x11/X11ModifierFlags.h"

namespace plovik {

std::variant<std::unique_ptr<X11DesktopAssembly>, std::string> X11DesktopAssembly::open(
    const std::string& mode) {
    const auto environment = X11Desktop::processEnvironment();
    if (X11KeyboardAccess::isWaylandSession(environment)) {
        return std::string(X11KeyboardAccess::kWaylandMessage);
    }
    std::unique_ptr<X11DesktopAssembly> assembly(new X11DesktopAssembly());
    auto opened = X11Desktop::open(assembly->queue_, assembly->keymaps_, environment, nullptr, {},
                                   grabAnswerBudget(std::getenv("PLOVIK_GRAB_ANSWER_MS")));
    if (auto* error = std::get_if<std::string>(&opened)) {
        return *error + "; " + mode + " needs an X11 session";
    }
    assembly->desktop_ = std::move(std::get<0>(opened));
    auto access = X11AccessBackends::open();
    if (auto* error = std::get_if<std::string>(&access)) {
        return *error;
    }
    assembly->access_ = std::move(std::get<X11AccessBackends::Backends>(access));
    X11Desktop& desktop = *assembly->desktop_;
    assembly->shortcutProbe_ =
        std::make_unique<XcbShortcutProbe>(std::nullopt, [&desktop](Key key, Modifiers modifiers) {
            // Our own grabs are not another program's.
            return desktop.tapFactory().holds(xKeycode(key),
                                              X11ModifierFlags::realModifiers(modifiers));
        });
    return assembly;
}

X11DesktopAssembly::~X11DesktopAssembly() {
    endCoordinator();
}

std::chrono::milliseconds X11DesktopAssembly::grabAnswerBudget(const char* setting) {
    const long milliseconds = setting ? std::strtol(setting, nullptr, 10) : 0;
    return milliseconds >= 1 && milliseconds <= 50 ? std::chrono::milliseconds(milliseconds)
                                                   : X11KeyCaptureFactory::kGrabAnswerBudget;
}

X11DesktopAssembly::DesktopPorts X11DesktopAssembly::ports() {
    return DesktopPorts{desktop_->tapFactory(),   *access_.accessibility,
                        desktop_->eventPoster(),  desktop_->keyboardHold(),
                        *access_.workspace,       desktop_->inputMonitoring(),
                        desktop_->inputSources(), *shortcutProbe_};
}

std::optional<std::string> X11DesktopAssembly::missingPermission() const {
    if (const auto problem = desktop_->inputMonitoring().problem()) {
        return problem;
    }
    if (!access_.accessibility->isProcessTrusted()) {
        return std::string(X11AccessBackends::kAccessibilityOffMessage);
    }
    return std::nullopt;
}

void X11DesktopAssembly::watchForLoss(std::function<void(const std::string&)> onLost) {
    auto told = std::make_shared<bool>(false);
    auto tell = [this, onLost = std::move(onLost), told](const std::string& reason) {
        if (std::exchange(*told, true)) {
            return;
        }
        // The accessibility bus goes with the X server or the session bus.
        access_.atspi->abandon();
        onLost(reason);
    };
    desktop_->pump().setLossHandler([tell] { tell(kXServerLostMessage); });
    desktop_->tapFactory().setLossHandler([tell] { tell(kXServerLostMessage); });
    busWatch_ = SessionBusWatch::watch([tell] { tell(kSessionBusLostMessage); });
}

std::string X11DesktopAssembly::sessionDescription() const {
    std::ostringstream description;
    const char* display = std::getenv("DISPLAY");
    description << "on " << (display ? display : "") << " with the layouts";
    for (const auto& id : desktop_->inputSources().groupIds()) {
        description << " " << id;
    }
    return description.str();
}

void X11DesktopAssembly::shortcutsChanged(const std::vector<ShortcutDefinition>& shortcuts) {
    desktop_->tapFactory().setShortcuts(shortcuts);
}

}  // namespace plovik
