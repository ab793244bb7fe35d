#include "platform/x11/AtspiFocusTracker.h"

namespace plovik {
namespace {

constexpr char kFocusEvent[] = "object:state-changed:focused";

struct EventFree {
    void operator()(AtspiEvent* event) const { g_boxed_free(ATSPI_TYPE_EVENT, event); }
};

}  // namespace

AtspiFocusTracker::AtspiFocusTracker(const AtspiConnection& connection)
    : connection_(connection),
      listener_(GObjectRef<AtspiEventListener>::adopt(
          atspi_event_listener_new(&AtspiFocusTracker::onEvent, this, nullptr))) {
    atspi_event_listener_register(listener_.get(), kFocusEvent, nullptr);
}

AtspiFocusTracker::~AtspiFocusTracker() {
    atspi_event_listener_deregister(listener_.get(), kFocusEvent, nullptr);
}

void AtspiFocusTracker::onEvent(AtspiEvent* rawEvent, void* data) {
    const std::unique_ptr<AtspiEvent, EventFree> event(rawEvent);
    auto& tracker = *static_cast<AtspiFocusTracker*>(data);
    ++tracker.eventCount_;
    if (!event->source) {
        return;
    }
    const auto source = tracker.connection_.borrowed(event->source);
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

bool AtspiFocusTracker::stillFocused(const std::optional<AtspiObject>& object) {
    return object && object->hasState(ATSPI_STATE_FOCUSED).value_or(false);
}

std::optional<AtspiObject> AtspiFocusTracker::focused() const {
    if (stillFocused(current_)) {
        return current_;
    }
    if (stillFocused(companion_)) {
        return companion_;
    }
    return std::nullopt;
}

}  // namespace plovik
