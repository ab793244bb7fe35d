#include "platform/simulated/SimulatedKeyInjector.h"

namespace plovik {

std::optional<SyntheticKeyEvent> SimulatedKeyInjector::createKeyEvent(Key key, bool isKeyDown) {
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

void SimulatedKeyInjector::post(const SyntheticKeyEvent& event) {
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

bool SimulatedKeyInjector::prepareText(const std::string& text) {
    return !untypable_ || text.find(*untypable_) == std::string::npos;
}

void SimulatedKeyInjector::awaitDelivery(std::chrono::milliseconds) {
    if (deliveryWait_) {
        deliveryWait_();
    }
}

}  // namespace plovik
