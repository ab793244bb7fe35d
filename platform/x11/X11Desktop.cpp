#include "platform/x11/X11Desktop.h"

#include <cstdlib>
#include <stdexcept>

namespace plovik {

X11Desktop::Environment X11Desktop::processEnvironment() {
    return [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    };
}

std::variant<std::unique_ptr<X11Desktop>, std::string> X11Desktop::open(
    MainQueue& mainQueue, XkbKeymapLibrary& keymaps, Environment environment, GMainContext* context,
    const std::string& displayName, std::chrono::milliseconds grabAnswerBudget) {
    auto opened = X11Connection::open(displayName.empty() ? nullptr : displayName.c_str());
    if (auto* error = std::get_if<std::string>(&opened)) {
        return *error;
    }
    std::unique_ptr<X11Desktop> desktop(new X11Desktop());
    desktop->connection_ = std::move(std::get<0>(opened));
    try {
        desktop->keyboard_ =
            std::make_unique<X11KeyboardState>(*desktop->connection_, std::string());
    } catch (const std::runtime_error& error) {
        return std::string(error.what());
    }
    desktop->keyboard_->selectEvents();
    desktop->pump_ = std::make_unique<X11EventPump>(*desktop->connection_, context);
    desktop->inputSources_ = std::make_unique<X11LayoutSource>(
        *desktop->connection_, *desktop->pump_, *desktop->keyboard_, keymaps, environment);
    desktop->inputSources_->ignoreGroupChangesBy([self = desktop.get()](std::uint32_t keycode) {
        return self->expectedKeys_.isGroupKey(keycode);
    });
    desktop->injector_ = std::make_unique<XTestKeyTyper>(*desktop->connection_, *desktop->keyboard_,
                                                         desktop->expectedKeys_);
    desktop->eventPoster_ = std::make_unique<X11KeyInjector>(
        *desktop->injector_, *desktop->keyboard_, mainQueue, desktop->expectedKeys_);
    desktop->tapFactory_ = std::make_unique<X11KeyCaptureFactory>(mainQueue, desktop->expectedKeys_,
                                                                  displayName, grabAnswerBudget);
    desktop->keyboardHold_ = std::make_unique<X11KeyboardHold>(*desktop->tapFactory_);
    X11Desktop* self = desktop.get();
    desktop->inputMonitoring_ = std::make_unique<X11KeyboardAccess>(
        std::move(environment), [self] { return self->captureProblem(); });
    return desktop;
}

X11Desktop::~X11Desktop() = default;

std::optional<std::string> X11Desktop::captureProblem() const {
    if (!connection_->hasXTest() || !connection_->xtestKeyboard()) {
        return std::string("the X server does not offer XTest, so Plovik cannot type corrections");
    }
    return tapFactory_->lastError();
}

}  // namespace plovik
