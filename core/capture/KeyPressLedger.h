#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>

#include "core/platform/KeyCapture.h"

namespace plovik {

// Numbers the user's key presses as a key-event tap sees them, remembers what each typed
// and which of them a tap swallowed, so that Plovik can tell whether a key may still be
// on its way to the application and what it typed there. Thread-safe: capture threads
// number, the main thread asks.
class KeyPressLedger {
  public:
    // How many presses are remembered; an older one counts as gone on, typing unknown.
    static constexpr std::size_t kRememberedPresses = 256;

    // `typed`: what the press typed into a field ("" for none, as for Shift or a dead
    // key), absent when it may have done anything else (edited, moved the caret, ran a
    // command).
    KeyPressNumber record(std::optional<std::string> typed = std::nullopt);
    void noteSwallowed(KeyPressNumber press);
    // A swallowed press reached the application after all.
    void notePassedOn(KeyPressNumber press);
    KeyPressNumber latest() const;
    bool hasPressGoneOnSince(KeyPressNumber press) const;
    // What the presses after `after`, up to and including `upTo`, typed in the
    // application, in order; swallowed presses typed nothing. Absent when one of them did
    // something other than type, or is no longer remembered.
    std::optional<std::string> typedBetween(KeyPressNumber after, KeyPressNumber upTo) const;

    // Whether every press after `after` typed text and nothing else: no line break, no
    // modifier, lock, dead key or command, none swallowed. Such presses can wait behind an
    // edit without changing what its keys type.
    bool onlyTextSince(KeyPressNumber after) const;

  private:
    struct Press {
        KeyPressNumber number;
        std::optional<std::string> typed;
        bool swallowed;
    };

    const Press* find(KeyPressNumber number) const;

    mutable std::mutex mutex_;
    KeyPressNumber latest_ = 0;
    std::deque<Press> presses_;
};

}  // namespace plovik
