#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "core/platform/KeyCapture.h"

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
    // The same, for a capture that numbers the user's presses: `userPresses` is the
    // number of the user's latest press, read before this one.
    bool matchPress(std::uint32_t keycode, KeyPressNumber userPresses,
                    Clock::time_point now = Clock::now());
    std::size_t pendingCount() const;
    // How many presses have been found to be ours so far: where a press of the user's
    // stands among them.
    std::uint64_t matchedCount() const;
    // A press of a key the capture reports later (a grabbed one) that is the next expected:
    // its place is counted now, and the presses after it are matched past it; it is taken
    // by matchGrabbedPress when its grab reports it.
    void notePressInPlace(std::uint32_t keycode, KeyPressNumber userPresses,
                          Clock::time_point now = Clock::now());
    // True (and consumed) when a press noted in place is of `keycode`.
    bool matchGrabbedPress(std::uint32_t keycode, Clock::time_point now = Clock::now());
    // Whether the press would match, without taking it.
    bool isExpectedNext(std::uint32_t keycode, Clock::time_point now = Clock::now()) const;

    // Keys that Plovik binds to lock a group for its own typing; a change of group they make
    // is no choice of the user's.
    void addGroupKey(std::uint32_t keycode);
    bool isGroupKey(std::uint32_t keycode) const;

    // The keys expected from now on are one batch; once its first press is seen, where it
    // stood among the user's presses tells whether a key of the user came before it.
    void beginBatch();
    // The number of the user's latest press before the batch's first press; absent until
    // that press is seen.
    std::optional<KeyPressNumber> userPressesBeforeBatch() const;

    // A grabbed press holds the keyboard from the moment the capture reads it until it is
    // replayed or, once swallowed, until the user lets its key go: a key injected while it is
    // held, or the same key injected while the user's is still down, is lost.
    void holdGrab();
    void releaseGrab();
    bool isGrabHeld() const;

  private:
    struct Expected {
        std::uint32_t keycode;
        Clock::time_point expiry;
        bool startsBatch = false;
        // Its raw press came; its grab reports it later.
        bool notedInPlace = false;
    };
    using Queue = std::deque<Expected>;

    // The first press still to come, past the expired ones, which it drops (mutex held).
    Queue::iterator nextToCome(Clock::time_point now);

    mutable std::mutex mutex_;
    Queue expected_;
    bool grabHeld_ = false;
    bool nextStartsBatch_ = false;
    std::vector<std::uint32_t> groupKeys_;
    std::optional<KeyPressNumber> userPressesBeforeBatch_;
    std::uint64_t matchedCount_ = 0;
};

}  // namespace plovik
