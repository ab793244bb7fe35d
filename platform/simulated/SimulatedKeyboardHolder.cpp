#include "platform/simulated/SimulatedKeyboardHolder.h"

#include <utility>

namespace plovik {

class SimulatedKeyboardHolder::Held final : public HeldKeyboard {
  public:
    Held(SimulatedKeyboardHolder& owner, KeyPressNumber before) : owner_(owner), before_(before) {}
    ~Held() override { owner_.letGo(); }

    KeyPressNumber lastPressBeforeHold() const override { return before_; }
    bool isHeld() const override { return owner_.holding_ && !owner_.expired_; }
    bool postAhead(const std::vector<SyntheticKeyEvent>& events) override {
        // Nothing goes ahead of a withheld press.
        if (!isHeld() || owner_.withheld_) {
            return false;
        }
        for (const auto& event : events) {
            owner_.post_(event);
        }
        return true;
    }
    void waitForApplication(std::chrono::milliseconds) override { owner_.catchUp_(); }

  private:
    SimulatedKeyboardHolder& owner_;
    const KeyPressNumber before_;
};

SimulatedKeyboardHolder::SimulatedKeyboardHolder(LatestPress latestPress, Post post,
                                                 Deliver deliver, PassOn passOn, CatchUp catchUp)
    : latestPress_(std::move(latestPress)),
      post_(std::move(post)),
      deliver_(std::move(deliver)),
      passOn_(std::move(passOn)),
      catchUp_(std::move(catchUp)) {}

SimulatedKeyboardHolder::~SimulatedKeyboardHolder() = default;

std::unique_ptr<HeldKeyboard> SimulatedKeyboardHolder::hold(std::chrono::milliseconds) {
    if (const auto press = std::exchange(heldFromPress_, std::nullopt); press && isHolding()) {
        return std::make_unique<Held>(*this, *press);
    }
    if (refused_ || holding_) {
        return nullptr;
    }
    if (const auto beforeHold = std::exchange(beforeHold_, nullptr)) {
        beforeHold();
    }
    holding_ = true;
    expired_ = false;
    ++holdCount_;
    return std::make_unique<Held>(*this, latestPress_());
}

bool SimulatedKeyboardHolder::passOnWithheldPress(KeyPressNumber press) {
    return (withheld_ && withheld_->pressNumber == press) || passedOn_ == press;
}

void SimulatedKeyboardHolder::holdFromPress(const KeyEvent& press) {
    if (refused_ || holding_) {
        return;
    }
    holding_ = true;
    expired_ = false;
    ++holdCount_;
    heldFromPress_ = press.pressNumber;
    withheld_ = press;
}

void SimulatedKeyboardHolder::passOnWithheld() {
    if (const auto press = std::exchange(withheld_, std::nullopt)) {
        passedOn_ = press->pressNumber;
        passOn_(*press);
    }
}

void SimulatedKeyboardHolder::expire() {
    if (!holding_ || expired_) {
        return;
    }
    expired_ = true;
    passOnWithheld();
    while (!kept_.empty()) {
        const KeyEvent event = kept_.front();
        kept_.pop_front();
        deliver_(event);
    }
}

void SimulatedKeyboardHolder::letGo() {
    heldFromPress_.reset();
    expired_ = true;
    holding_ = false;
    passOnWithheld();
    // A press delivered now may start another hold; it keeps its own presses.
    auto kept = std::exchange(kept_, {});
    for (const auto& event : kept) {
        deliver_(event);
    }
}

}  // namespace plovik
