#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include "core/platform/KeyboardHold.h"

namespace plovik {

// The in-memory desktop's holds of the keyboard. While one lasts, the user's presses are
// numbered at once (the tap's ledger sees them, as X11's capture does) but reach neither
// the taps nor the application until it ends; then they go on, in order. Plovik's own
// events pass at once, so they are always ahead of the held keys. A hold begun by a
// withheld press (a Return) gives that press to the application first when it ends, and
// nothing of Plovik's can go ahead of it meanwhile.
class SimulatedKeyboardHolder final : public KeyboardHolder {
  public:
    // `latestPress` numbers the user's presses; `post` sends Plovik's events; `deliver`
    // takes a held press on through the taps to the application.
    using LatestPress = std::function<KeyPressNumber()>;
    using Post = std::function<void(const SyntheticKeyEvent&)>;
    using Deliver = std::function<void(const KeyEvent&)>;
    // Gives a withheld press to the application, past the taps that withheld it.
    using PassOn = std::function<void(const KeyEvent&)>;
    // The applications handle the keys they already received.
    using CatchUp = std::function<void()>;

    SimulatedKeyboardHolder(LatestPress latestPress, Post post, Deliver deliver, PassOn passOn,
                            CatchUp catchUp);
    ~SimulatedKeyboardHolder() override;

    std::unique_ptr<HeldKeyboard> hold(std::chrono::milliseconds limit) override;
    bool passOnWithheldPress(KeyPressNumber press) override;

    bool isHolding() const { return holding_ && !expired_; }
    // A swallowed press (a withheld Return, numbered) holds the keys typed after it until
    // the next hold takes over, and goes on first when that ends.
    void holdFromPress(const KeyEvent& press);
    // Keeps a numbered press of the user until the hold ends.
    void keep(const KeyEvent& event) { kept_.push_back(event); }
    // Runs as the next hold is asked for, before it is in place: a key the user presses
    // then reaches the application.
    void setBeforeHold(std::function<void()> beforeHold) { beforeHold_ = std::move(beforeHold); }
    // Another program holds the keyboard: holds are refused.
    void setRefused(bool refused) { refused_ = refused; }
    // The hold outlives its limit now (as when the application stops answering): the kept
    // presses go on, and the hold says it no longer holds.
    void expire();
    std::size_t holdCount() const { return holdCount_; }

  private:
    class Held;

    void letGo();
    void passOnWithheld();

    std::function<void()> beforeHold_;
    LatestPress latestPress_;
    Post post_;
    Deliver deliver_;
    PassOn passOn_;
    CatchUp catchUp_;
    bool holding_ = false;
    bool expired_ = false;
    bool refused_ = false;
    std::optional<KeyPressNumber> heldFromPress_;
    std::optional<KeyEvent> withheld_;
    std::optional<KeyPressNumber> passedOn_;
    std::size_t holdCount_ = 0;
    std::deque<KeyEvent> kept_;
};

}  // namespace plovik
