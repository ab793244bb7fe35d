#include "platform/x11/X11KeyboardHold.h"

#include <thread>

namespace plovik {

namespace {

std::chrono::steady_clock::time_point stepDeadline() {
    return std::chrono::steady_clock::now() + X11KeyboardHold::kStepLimit;
}

}  // namespace

class X11KeyboardHold::Held final : public HeldKeyboard {
  public:
    Held(X11KeyCapture& capture, KeyPressNumber before) : capture_(capture), before_(before) {}
    ~Held() override { capture_.releaseHold(stepDeadline()); }

    KeyPressNumber lastPressBeforeHold() const override { return before_; }
    bool isHeld() const override { return capture_.isHolding(); }
    bool postAhead(const std::vector<SyntheticKeyEvent>& events) override {
        return capture_.postAhead(events, stepDeadline());
    }
    void waitForApplication(std::chrono::milliseconds duration) override {
        std::this_thread::sleep_for(duration);
    }

  private:
    X11KeyCapture& capture_;
    const KeyPressNumber before_;
};

std::unique_ptr<HeldKeyboard> X11KeyboardHold::hold(std::chrono::milliseconds limit) {
    X11KeyCapture* capture = taps_.activeCapture();
    if (!capture) {
        return nullptr;
    }
    const auto before = capture->hold(limit, stepDeadline());
    if (!before) {
        return nullptr;
    }
    return std::make_unique<Held>(*capture, *before);
}

bool X11KeyboardHold::passOnWithheldPress(KeyPressNumber press) {
    const X11KeyCapture* capture = taps_.activeCapture();
    return capture && capture->passesOnWithheldPress(press);
}

}  // namespace plovik
