#include "platform/simulated/SimulatedKeyCaptureFactory.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "core/capture/KeyPressText.h"

namespace plovik {

struct SimulatedKeyCaptureFactory::TapState {
    Callback callback;
    bool installed = true;
    bool enabled = false;
};

class SimulatedKeyCaptureFactory::Tap final : public KeyCapture {
  public:
    explicit Tap(std::shared_ptr<TapState> state) : state_(std::move(state)) {}
    ~Tap() override {
        state_->installed = false;
        state_->enabled = false;
    }
    void setEnabled(bool enabled) override { state_->enabled = enabled; }
    bool isEnabled() const override { return state_->enabled; }

  private:
    std::shared_ptr<TapState> state_;
};

SimulatedKeyCaptureFactory::SimulatedKeyCaptureFactory()
    : taps_(std::make_shared<const TapList>()) {}

SimulatedKeyCaptureFactory::~SimulatedKeyCaptureFactory() = default;

std::unique_ptr<KeyCapture> SimulatedKeyCaptureFactory::createTap(Callback callback) {
    if (!inputMonitoringGranted_ || !callback) {
        return nullptr;
    }
    auto state = std::make_shared<TapState>();
    state->callback = std::move(callback);
    TapList taps{state};
    std::copy_if(taps_->begin(), taps_->end(), std::back_inserter(taps),
                 [](const auto& tap) { return tap->installed; });
    taps_ = std::make_shared<const TapList>(std::move(taps));
    ++createdTapCount_;
    return std::make_unique<Tap>(std::move(state));
}

KeyDisposition SimulatedKeyCaptureFactory::deliver(const KeyEvent& delivered) {
    const KeyEvent event = number(delivered);
    const auto taps = taps_;
    for (const auto& tap : *taps) {
        if (!tap->installed || !tap->enabled) {
            continue;
        }
        if (const auto disposition = tap->callback(event); disposition != KeyDisposition::pass) {
            presses_.noteSwallowed(event.pressNumber);
            return disposition;
        }
    }
    return KeyDisposition::pass;
}

KeyEvent SimulatedKeyCaptureFactory::number(const KeyEvent& delivered) {
    KeyEvent event = delivered;
    if (event.kind == KeyEventKind::keyPress && !event.isOwnEvent && event.pressNumber == 0) {
        event.pressNumber =
            presses_.record(KeyPressText::typedBy(event.key, event.modifiers, event.text));
    }
    return event;
}

bool SimulatedKeyCaptureFactory::isTapEnabled() const {
    return std::any_of(taps_->begin(), taps_->end(),
                       [](const auto& tap) { return tap->installed && tap->enabled; });
}

std::size_t SimulatedKeyCaptureFactory::installedTapCount() const {
    return static_cast<std::size_t>(std::count_if(taps_->begin(), taps_->end(),
                                                  [](const auto& tap) { return tap->installed; }));
}

}  // namespace plovik
