#pragma once

#include <atspi/atspi.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "platform/atspi/AtspiConnection.h"
#include "platform/atspi/AtspiObject.h"
#include "platform/linux/GObjectRef.h"

namespace plovik {

// Keeps the desktop's focused object current from AT-SPI focus events.
// Events come twice, a new application's gain can come before the old one's loss, and
// Qt and Chromium mark a container focused together with the field: so a loss only
// clears the object it names, and an object without Text does not displace a field of
// the same application while the field keeps its focused state.
class AtspiFocusTracker {
  public:
    // Objects of `ownProcess` are never tracked: a program asking its own windows over
    // AT-SPI waits on itself until the call times out (150 ms per window activation).
    explicit AtspiFocusTracker(const AtspiConnection& connection, pid_t ownProcess = ::getpid());
    AtspiFocusTracker(const AtspiFocusTracker&) = delete;
    AtspiFocusTracker& operator=(const AtspiFocusTracker&) = delete;
    ~AtspiFocusTracker();

    // The tracked object when it still says it has focus (one call to its application);
    // without one, the active windows are searched, at most twice a second.
    std::optional<AtspiObject> focused();
    // What the events said last, unchecked.
    const std::optional<AtspiObject>& reported() const { return current_; }
    std::uint64_t eventCount() const { return eventCount_; }

    void focusGained(const AtspiObject& object);
    void focusLost(const AtspiObject& object);
    // Qt sends no focus event when its window is activated with a field already focused
    // inside, and nothing has been sent before we started listening: look for the
    // focused object below `window` (or below every active window).
    void windowActivated(const AtspiObject& window);
    // Qt keeps its field's focused state when its window loses the focus and says only
    // that the window was deactivated; the next window may say nothing at all (a
    // terminal without accessibility), so the field must not stay "focused" here.
    void windowDeactivated(const AtspiObject& window);
    void discoverFocus();
    // The accessibility bus is gone and the process about to end: saying goodbye to the bus
    // would only wait for it, libatspi trying to reconnect call after call.
    void abandon() { abandoned_ = true; }

  private:
    static void onEvent(AtspiEvent* event, void* tracker);
    static void onWindowEvent(AtspiEvent* event, void* tracker);
    static std::optional<AtspiObject> focusedDescendant(const AtspiObject& window);
    static bool stillFocused(const std::optional<AtspiObject>& object);
    // Asked of the bus once per application, never of the application itself.
    bool isOwn(const AtspiObject& object);

    const AtspiConnection& connection_;
    pid_t ownProcess_;
    std::map<std::string, bool> ownByBusName_;
    GObjectRef<AtspiEventListener> listener_;
    GObjectRef<AtspiEventListener> windowListener_;
    std::optional<AtspiObject> current_;
    // A container focused together with the current field; it takes over when the field
    // loses focus first.
    std::optional<AtspiObject> companion_;
    std::uint64_t eventCount_ = 0;
    std::optional<std::chrono::steady_clock::time_point> lastDiscovery_;
    bool abandoned_ = false;
};

}  // namespace plovik
