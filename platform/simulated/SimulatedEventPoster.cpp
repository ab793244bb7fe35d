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
    if (sink_) {
        sink_(event);
    }
}

bool SimulatedEventPoster::prepareText(const std::string& text) {
    return !untypable_ || text.find(*untypable_) == std::string::npos;
}

}  // namespace plovik
