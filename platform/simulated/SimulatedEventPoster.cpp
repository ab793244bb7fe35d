#include "platform/simulated/SimulatedEventPoster.h"

namespace plovik {

namespace {

class SimulatedEventSource final : public EventSource {
  public:
    explicit SimulatedEventSource(SimulatedEventPoster& poster) : poster_(poster) {}

    std::optional<SyntheticKeyEvent> createKeyboardEvent(std::uint16_t keyCode,
                                                         bool isKeyDown) override {
        return poster_.createEvent(keyCode, isKeyDown);
    }

  private:
    SimulatedEventPoster& poster_;
};

}  // namespace

std::unique_ptr<EventSource> SimulatedEventPoster::createSource() {
    if (sourceCreationFails_) {
        return nullptr;
    }
    ++createdSources_;
    return std::make_unique<SimulatedEventSource>(*this);
}

std::optional<SyntheticKeyEvent> SimulatedEventPoster::createEvent(std::uint16_t keyCode,
                                                                   bool isKeyDown) {
    if (budget_) {
        if (*budget_ == 0) {
            return std::nullopt;
        }
        --*budget_;
    }
    SyntheticKeyEvent event;
    event.keyCode = keyCode;
    event.isKeyDown = isKeyDown;
    event.flags = heldModifiers_;
    return event;
}

void SimulatedEventPoster::post(const SyntheticKeyEvent& event) {
    posted_.push_back(event);
    if (sink_) {
        sink_(event);
    }
}

}  // namespace plovik
