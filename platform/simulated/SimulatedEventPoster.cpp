#include "platform/simulated/SimulatedEventPoster.h"

namespace plovik {

std::optional<SyntheticKeyEvent> SimulatedEventPoster::createKeyEvent(Key key, bool isKeyDown) {
    if (budget_) {
        if (*budget_ == 0) {
            return std::nullopt;
        }
        --*budget_;
    }
    SyntheticKeyEvent event;
    event.key = key;
    event.isKeyDown = isKeyDown;
    event.modifiers = heldModifiers_;
    return event;
}

void SimulatedEventPoster::post(const SyntheticKeyEvent& event) {
    posted_.push_back(event);
    if (event.text && textsToLose_ > 0) {
        // The release of a typing press carries the same text; the press is what counts.
        textsToLose_ -= event.isKeyDown ? 1 : 0;
        return;
    }
    if (sink_) {
        sink_(event);
    }
}

bool SimulatedEventPoster::prepareText(const std::string& text) {
    return !untypable_ || text.find(*untypable_) == std::string::npos;
}

void SimulatedEventPoster::awaitDelivery(std::chrono::milliseconds) {
    if (deliveryWait_) {
        deliveryWait_();
    }
}

}  // namespace plovik
