#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>

namespace plovik {

// The key presses Plovik is about to inject, in order. The XTest device is shared
// by every injector, so an injected press is ours only when it is the one we expect
// next; a press that never arrives is forgotten after a short while.
// Thread-safe: the injector adds on the main thread, the capture thread matches.
// It also tells the injecting side whether a grabbed press still holds the keyboard.
class X11ExpectedKeys {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kLifetime{1000};

    void expect(std::uint32_t keycode, Clock::time_point now = Clock::now());
    // True (and consumed) when the press is the next one expected.
    bool matchPress(std::uint32_t keycode, Clock::time_point now = Clock::now());
    std::size_t pendingCount() const;

    // A grabbed press holds the keyboard from the moment the capture reads it until it is
    // replayed or, once swallowed, until its key is released. A key injected meanwhile
    // reaches the server while the user's key is still down, and is lost.
    void holdGrab();
    void releaseGrab();
    bool isGrabHeld() const;

  private:
    struct Expected {
        std::uint32_t keycode;
        Clock::time_point expiry;
    };

    mutable std::mutex mutex_;
    std::deque<Expected> expected_;
    bool grabHeld_ = false;
};

}  // namespace plovik
