#include "platform/ibus/IbusKeyboardHolder.h"

namespace plovik {

class IbusKeyboardHolder::Held final : public HeldKeyboard {
  public:
    Held(IbusKeyboardHolder& owner, KeyPressNumber before, std::chrono::milliseconds limit)
        : owner_(owner), before_(before), end_(std::chrono::steady_clock::now() + limit) {}

    KeyPressNumber lastPressBeforeHold() const override { return before_; }
    bool isHeld() const override {
        return owner_.link_.isConnected() && std::chrono::steady_clock::now() < end_ &&
               !owner_.presses_.hasPressGoneOnSince(before_);
    }
    bool postAhead(const std::vector<SyntheticKeyEvent>& events) override {
        return isHeld() && owner_.injector_.postNow(events);
    }
    void waitForApplication(std::chrono::milliseconds duration) override {
        // Only what the engines report of the field: the user's presses wait for the edit.
        owner_.link_.receiveFieldReports(duration);
    }

  private:
    IbusKeyboardHolder& owner_;
    const KeyPressNumber before_;
    const std::chrono::steady_clock::time_point end_;
};

IbusKeyboardHolder::IbusKeyboardHolder(IbusEngineLink& link, const KeyCaptureFactory& presses,
                                       IbusKeyInjector& injector)
    : link_(link), presses_(presses), injector_(injector) {}

std::unique_ptr<HeldKeyboard> IbusKeyboardHolder::hold(std::chrono::milliseconds limit) {
    if (!link_.isConnected()) {
        return nullptr;
    }
    return std::make_unique<Held>(*this, presses_.latestPress(), limit);
}

}  // namespace plovik
