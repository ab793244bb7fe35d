#pragma once

#include <chrono>
#include <deque>
#include <memory>
#include <optional>

#include "core/platform/KeyInjector.h"
#include "core/platform/MainQueue.h"
#include "platform/x11/X11ExpectedKeys.h"
#include "platform/x11/X11KeyboardState.h"
#include "platform/x11/XTestKeyTyper.h"

namespace plovik {

// Posts key events through XTest: keys by their position, typed text in the locked
// group (spare key codes for what it cannot type). While a grabbed press of the user
// still holds the keyboard, events wait, in order, until it lets go. Main thread only.
class X11KeyInjector final : public KeyInjector {
  public:
    // How long events wait for a held grab before they go anyway.
    static constexpr std::chrono::milliseconds kGrabWaitLimit{1000};

    X11KeyInjector(XTestKeyTyper& injector, const X11KeyboardState& keyboard, MainQueue& mainQueue,
                   const X11ExpectedKeys& expectedKeys);

    std::optional<SyntheticKeyEvent> createKeyEvent(Key key, bool isKeyDown) override;
    void post(const SyntheticKeyEvent& event) override;
    bool prepareText(const std::string& text) override;
    void awaitDelivery(std::chrono::milliseconds pause) override;
    // False when the last text could not be typed.
    bool lastPostSucceeded() const { return lastPostSucceeded_; }
    // Events waiting for the keyboard.
    std::size_t waitingCount() const { return waiting_.size(); }

  private:
    void postNow(const SyntheticKeyEvent& event);
    void postWaitingWhenFree(std::chrono::steady_clock::time_point deadline);
    void postWaiting();

    XTestKeyTyper& injector_;
    const X11KeyboardState& keyboard_;
    MainQueue& mainQueue_;
    const X11ExpectedKeys& expectedKeys_;
    std::deque<SyntheticKeyEvent> waiting_;
    std::chrono::steady_clock::time_point waitDeadline_;
    bool lastPostSucceeded_ = true;
    // Checks scheduled on the main queue end with the poster.
    std::shared_ptr<X11KeyInjector*> self_ = std::make_shared<X11KeyInjector*>(this);
};

}  // namespace plovik
