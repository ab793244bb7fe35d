#pragma once

#include <glib.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "core/platform/MainQueue.h"
#include "platform/linux/XkbKeymapLibrary.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11EventPump.h"
#include "platform/x11/X11ExpectedKeys.h"
#include "platform/x11/X11KeyCaptureFactory.h"
#include "platform/x11/X11KeyInjector.h"
#include "platform/x11/X11KeyboardAccess.h"
#include "platform/x11/X11KeyboardHold.h"
#include "platform/x11/X11KeyboardState.h"
#include "platform/x11/X11LayoutSource.h"
#include "platform/x11/XTestKeyTyper.h"

namespace plovik {

// The keyboard side of an X11 session as ports: capture, injection, layouts and the
// input-monitoring permission, with the main connection served by the GLib loop.
class X11Desktop {
  public:
    using Environment = X11KeyboardAccess::Environment;

    // The process environment.
    static Environment processEnvironment();

    // A readable reason when there is no usable X11 display. Empty display name:
    // $DISPLAY; null context: the default one.
    static std::variant<std::unique_ptr<X11Desktop>, std::string> open(
        MainQueue& mainQueue, XkbKeymapLibrary& keymaps, Environment environment,
        GMainContext* context = nullptr, const std::string& displayName = {},
        std::chrono::milliseconds grabAnswerBudget = X11KeyCaptureFactory::kGrabAnswerBudget);
    ~X11Desktop();
    X11Desktop(const X11Desktop&) = delete;
    X11Desktop& operator=(const X11Desktop&) = delete;

    X11Connection& connection() { return *connection_; }
    X11KeyboardState& keyboard() { return *keyboard_; }
    X11ExpectedKeys& expectedKeys() { return expectedKeys_; }
    XTestKeyTyper& injector() { return *injector_; }
    X11KeyboardHold& keyboardHold() { return *keyboardHold_; }
    X11KeyInjector& eventPoster() { return *eventPoster_; }
    X11LayoutSource& inputSources() { return *inputSources_; }
    X11KeyCaptureFactory& tapFactory() { return *tapFactory_; }
    X11KeyboardAccess& inputMonitoring() { return *inputMonitoring_; }
    X11EventPump& pump() { return *pump_; }

  private:
    X11Desktop() = default;
    std::optional<std::string> captureProblem() const;

    std::unique_ptr<X11Connection> connection_;
    std::unique_ptr<X11KeyboardState> keyboard_;
    std::unique_ptr<X11EventPump> pump_;
    X11ExpectedKeys expectedKeys_;
    std::unique_ptr<X11LayoutSource> inputSources_;
    std::unique_ptr<XTestKeyTyper> injector_;
    std::unique_ptr<X11KeyInjector> eventPoster_;
    std::unique_ptr<X11KeyCaptureFactory> tapFactory_;
    std::unique_ptr<X11KeyboardHold> keyboardHold_;
    std::unique_ptr<X11KeyboardAccess> inputMonitoring_;
};

}  // namespace plovik
