#pragma once

#include <cstdint>

namespace plovik::ibus {

// Numbers the user's presses in the order the engine program sees them, across every
// field, and remembers the latest one that went on to an application.
class PressCounter {
  public:
    std::uint64_t next() { return ++latest_; }
    void notePassed(std::uint64_t press) {
        if (press > lastPassed_) {
            lastPassed_ = press;
        }
    }
    std::uint64_t latest() const { return latest_; }
    std::uint64_t lastPassed() const { return lastPassed_; }

  private:
    std::uint64_t latest_ = 0;
    std::uint64_t lastPassed_ = 0;
};

}  // namespace plovik::ibus
