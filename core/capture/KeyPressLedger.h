#pragma once

#include <cstddef>
#include <deque>
#include <mutex>

#include "core/platform/KeyEventTap.h"

namespace plovik {

// Numbers the user's key presses as a key-event tap sees them, and remembers which of
// them a tap swallowed, so that Plovik can tell whether a key may still be on its way to
// the application. Thread-safe: capture threads number, the main thread asks.
class KeyPressLedger {
  public:
    // How many swallowed presses are remembered; an older one counts as gone on.
    static constexpr std::size_t kRememberedSwallowedPresses = 64;

    KeyPressNumber record();
    void noteSwallowed(KeyPressNumber press);
    KeyPressNumber latest() const;
    bool hasPressGoneOnSince(KeyPressNumber press) const;

  private:
    mutable std::mutex mutex_;
    KeyPressNumber latest_ = 0;
    std::deque<KeyPressNumber> swallowed_;
};

}  // namespace plovik
