#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "platform/fcitx5/protocol/ModuleMessage.h"

namespace plovik {

// The module's account of the user's presses while Plovik is connected: their numbers,
// which of them went on to the application, which key combinations wait for Plovik's
// answer, and the Returns Plovik swallowed to post again after correcting the word.
class PressBook {
  public:
    using Clock = std::chrono::steady_clock;

    // A swallowed Return that Plovik is to post again.
    struct Withheld {
        std::uint64_t sequence = 0;
        std::uint16_t key = 0;
        std::uint8_t modifiers = 0;
        Clock::time_point deadline;
        bool operator==(const Withheld&) const = default;
    };

    // Numbers a new press; the first is 1.
    std::uint64_t number() { return ++latest_; }
    std::uint64_t latest() const { return latest_; }
    void notePassed(std::uint64_t sequence);
    // The latest press that went on to the application; zero before any.
    std::uint64_t lastPassed() const { return lastPassed_; }

    void setHeldKeys(std::vector<module::HeldKey> keys) { held_ = std::move(keys); }
    // Caps Lock and Num Lock do not make another combination.
    bool isHeld(std::uint16_t key, std::uint8_t modifiers) const;

    void withhold(const Withheld& press) { withheld_.push_back(press); }
    bool hasWithheld() const { return !withheld_.empty(); }
    // The withheld press with this number, taken out; absent when it was let go already.
    std::optional<Withheld> release(std::uint64_t sequence);
    // Every withheld press, oldest first, taken out.
    std::vector<Withheld> releaseAll();
    // The withheld presses whose deadline has passed, oldest first, taken out.
    std::vector<Withheld> releaseExpired(Clock::time_point now);
    std::optional<Clock::time_point> nextDeadline() const;

    // A new connection starts counting again.
    void reset();

  private:
    std::uint64_t latest_ = 0;
    std::uint64_t lastPassed_ = 0;
    std::vector<module::HeldKey> held_;
    std::deque<Withheld> withheld_;
};

}  // namespace plovik
