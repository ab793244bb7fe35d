#include "platform/atspi/AtspiFocusTracker.h"

#include <cstring>
#include <deque>

namespace plovik {
namespace {

constexpr char kFocusEvent[] = "object:state-changed:focused";
constexpr char kWindowEvent[] = "window:activate";
constexpr char kWindowLeftEvent[] = "window:deactivate";
// A window's widgets are few levels deep; a bound keeps a huge document from costing
// seconds of calls.
constexpr std::size_t kSearchLimit = 400;
constexpr std::chrono::milliseconds kDiscoveryInterval{500};

struct EventFree {
    void operator()(AtspiEvent* event) const { g_boxed_free(ATSPI_TYPE_EVENT, event); }
};

}  // namespace

AtspiFocusTracker::AtspiFocusTracker(const AtspiConnection& connection, pid_t ownProcess)
    : connection_(connection),
      ownProcess_(ownProcess),
      listener_(GObjectRef<AtspiEventListener>::adopt(
          atspi_event_listener_new(&AtspiFocusTracker::onEvent, this, nullptr))),
      windowListener_(GObjectRef<AtspiEventListener>::adopt(
          atspi_event_listener_new(&AtspiFocusTracker::onWindowEvent, this, nullptr))) {
    atspi_event_listener_register(listener_.get(), kFocusEvent, nullptr);
    atspi_event_listener_register(windowListener_.get(), kWindowEvent, nullptr);
    atspi_event_listener_register(windowListener_.get(), kWindowLeftEvent, nullptr);
    discoverFocus();
}

AtspiFocusTracker::~AtspiFocusTracker() {
    if (abandoned_) {
        return;
    }
    atspi_event_listener_deregister(listener_.get(), kFocusEvent, nullptr);
    atspi_event_listener_deregister(windowListener_.get(), kWindowEvent, nullptr);
    atspi_event_listener_deregister(windowListener_.get(), kWindowLeftEvent, nullptr);
}

void AtspiFocusTracker::onWindowEvent(AtspiEvent* rawEvent, void* data) {
    const std::unique_ptr<AtspiEvent, EventFree> event(rawEvent);
    auto& tracker = *static_cast<AtspiFocusTracker*>(data);
    ++tracker.eventCount_;
    if (!event->source) {
        return;
    }
    const auto window = tracker.connection_.borrowed(event->source);
    if (tracker.isOwn(window)) {
        return;
    }
    if (std::strcmp(event->type, kWindowLeftEvent) == 0) {
        tracker.windowDeactivated(window);
    } else {
        tracker.windowActivated(window);
    }
}

void AtspiFocusTracker::windowActivated(const AtspiObject& window) {
    if (current_ && current_->sameApplication(window) && stillFocused(current_)) {
        return;
    }
    if (const auto found = focusedDescendant(window)) {
        focusGained(*found);
    }
}

void AtspiFocusTracker::windowDeactivated(const AtspiObject& window) {
    if (current_ && current_->sameApplication(window)) {
        current_.reset();
        companion_.reset();
    }
}

void AtspiFocusTracker::discoverFocus() {
    for (const auto& application : connection_.applications()) {
        if (isOwn(application)) {
            continue;
        }
        for (const auto& window : application.children().value_or(std::vector<AtspiObject>{})) {
            if (window.hasState(ATSPI_STATE_ACTIVE).value_or(false)) {
                windowActivated(window);
            }
        }
    }
}

std::optional<AtspiObject> AtspiFocusTracker::focusedDescendant(const AtspiObject& window) {
    std::deque<AtspiObject> queue{window};
    std::optional<AtspiObject> focusedWithoutText;
    for (std::size_t examined = 0; !queue.empty() && examined < kSearchLimit; ++examined) {
        const AtspiObject object = std::move(queue.front());
        queue.pop_front();
        const auto states = object.states();
        if (!states) {
            continue;
        }
        if (atspi_state_set_contains(states->get(), ATSPI_STATE_FOCUSED)) {
            if (object.hasText()) {
                return object;
            }
            focusedWithoutText = focusedWithoutText ? focusedWithoutText : object;
        }
        // Hidden parts of the window cannot hold the focus.
        if (!atspi_state_set_contains(states->get(), ATSPI_STATE_SHOWING) &&
            !atspi_state_set_contains(states->get(), ATSPI_STATE_VISIBLE)) {
            continue;
        }
        for (auto& child : object.children().value_or(std::vector<AtspiObject>{})) {
            queue.push_back(std::move(child));
        }
    }
    return focusedWithoutText;
}

void AtspiFocusTracker::onEvent(AtspiEvent* rawEvent, void* data) {
    const std::unique_ptr<AtspiEvent, EventFree> event(rawEvent);
    auto& tracker = *static_cast<AtspiFocusTracker*>(data);
    ++tracker.eventCount_;
    if (!event->source) {
        return;
    }
    const auto source = tracker.connection_.borrowed(event->source);
    if (tracker.isOwn(source)) {
        return;
    }
    if (event->detail1 != 0) {
        tracker.focusGained(source);
    } else {
        tracker.focusLost(source);
    }
}

void AtspiFocusTracker::focusGained(const AtspiObject& object) {
    if (current_ && current_->sameObject(object)) {
        return;
    }
    if (current_ && current_->sameApplication(object) && current_->hasText() && !object.hasText() &&
        stillFocused(current_)) {
        companion_ = object;
        return;
    }
    current_ = object;
    companion_.reset();
}

void AtspiFocusTracker::focusLost(const AtspiObject& object) {
    if (companion_ && companion_->sameObject(object)) {
        companion_.reset();
        return;
    }
    if (!current_ || !current_->sameObject(object)) {
        // The old application's loss after the new one's gain, or a repeat.
        return;
    }
    current_ = std::exchange(companion_, std::nullopt);
    if (current_ && !stillFocused(current_)) {
        current_.reset();
    }
}

bool AtspiFocusTracker::isOwn(const AtspiObject& object) {
    const auto busName = object.busName();
    if (const auto known = ownByBusName_.find(busName); known != ownByBusName_.end()) {
        return known->second;
    }
    // The bus answers this, not the application, so even our own cannot block it; nor
    // may the bus's slowness put the application in quarantine, as a guarded call would.
    GError* rawError = nullptr;
    const guint process = atspi_accessible_get_process_id(object.get(), &rawError);
    const GErrorPtr error(rawError);
    if (error || process == 0 || process == static_cast<guint>(-1)) {
        return false;
    }
    return ownByBusName_.emplace(busName, static_cast<pid_t>(process) == ownProcess_).first->second;
}

bool AtspiFocusTracker::stillFocused(const std::optional<AtspiObject>& object) {
    return object && object->hasState(ATSPI_STATE_FOCUSED).value_or(false);
}

std::optional<AtspiObject> AtspiFocusTracker::focused() {
    if (stillFocused(current_)) {
        return current_;
    }
    if (stillFocused(companion_)) {
        return companion_;
    }
    // Switching back and forth quickly can leave an application believing it never lost
    // the focus, so it announces nothing when it has it again: look, now and then.
    const auto now = std::chrono::steady_clock::now();
    if (!lastDiscovery_ || now - *lastDiscovery_ >= kDiscoveryInterval) {
        lastDiscovery_ = now;
        current_.reset();
        companion_.reset();
        discoverFocus();
        if (stillFocused(current_)) {
            return current_;
        }
    }
    return std::nullopt;
}

}  // namespace plovik
