#include "platform/x11/X11ExpectedKeys.h"

#include <utility>

namespace plovik {

void X11ExpectedKeys::expect(std::uint32_t keycode, Clock::time_point now) {
    std::lock_guard lock(mutex_);
    expected_.push_back({keycode, now + kLifetime, std::exchange(nextStartsBatch_, false)});
}

bool X11ExpectedKeys::matchPress(std::uint32_t keycode, Clock::time_point now) {
    return matchPress(keycode, 0, now);
}

bool X11ExpectedKeys::matchPress(std::uint32_t keycode, KeyPressNumber userPresses,
                                 Clock::time_point now) {
    std::lock_guard lock(mutex_);
    while (!expected_.empty() && expected_.front().expiry < now) {
        expected_.pop_front();
    }
    if (expected_.empty() || expected_.front().keycode != keycode) {
        return false;
    }
    if (expected_.front().startsBatch) {
        userPressesBeforeBatch_ = userPresses;
    }
    expected_.pop_front();
    return true;
}

void X11ExpectedKeys::beginBatch() {
    std::lock_guard lock(mutex_);
    nextStartsBatch_ = true;
    userPressesBeforeBatch_.reset();
}

std::optional<KeyPressNumber> X11ExpectedKeys::userPressesBeforeBatch() const {
    std::lock_guard lock(mutex_);
    return userPressesBeforeBatch_;
}

std::size_t X11ExpectedKeys::pendingCount() const {
    std::lock_guard lock(mutex_);
    return expected_.size();
}

void X11ExpectedKeys::holdGrab() {
    std::lock_guard lock(mutex_);
    grabHeld_ = true;
}

void X11ExpectedKeys::releaseGrab() {
    std::lock_guard lock(mutex_);
    grabHeld_ = false;
}

bool X11ExpectedKeys::isGrabHeld() const {
    std::lock_guard lock(mutex_);
    return grabHeld_;
}

}  // namespace plovik
