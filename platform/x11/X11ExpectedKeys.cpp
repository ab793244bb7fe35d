#include "platform/x11/X11ExpectedKeys.h"

#include <algorithm>
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
    const auto next = nextToCome(now);
    if (next == expected_.end() || next->keycode != keycode) {
        return false;
    }
    if (next->startsBatch) {
        userPressesBeforeBatch_ = userPresses;
    }
    expected_.erase(next);
    ++matchedCount_;
    return true;
}

X11ExpectedKeys::Queue::iterator X11ExpectedKeys::nextToCome(Clock::time_point now) {
    while (!expected_.empty() && expected_.front().expiry < now) {
        expected_.pop_front();
    }
    return std::find_if(expected_.begin(), expected_.end(),
                        [](const Expected& key) { return !key.notedInPlace; });
}

bool X11ExpectedKeys::isExpectedNext(std::uint32_t keycode, Clock::time_point now) const {
    std::lock_guard lock(mutex_);
    const auto next = std::find_if(expected_.begin(), expected_.end(), [&](const Expected& key) {
        return key.expiry >= now && !key.notedInPlace;
    });
    return next != expected_.end() && next->keycode == keycode;
}

void X11ExpectedKeys::notePressInPlace(std::uint32_t keycode, KeyPressNumber userPresses,
                                       Clock::time_point now) {
    std::lock_guard lock(mutex_);
    const auto next = nextToCome(now);
    if (next == expected_.end() || next->keycode != keycode) {
        return;
    }
    if (next->startsBatch) {
        userPressesBeforeBatch_ = userPresses;
        next->startsBatch = false;
    }
    next->notedInPlace = true;
    ++matchedCount_;
}

bool X11ExpectedKeys::matchGrabbedPress(std::uint32_t keycode, Clock::time_point now) {
    std::lock_guard lock(mutex_);
    (void)nextToCome(now);
    const auto noted = std::find_if(expected_.begin(), expected_.end(), [&](const Expected& key) {
        return key.notedInPlace && key.keycode == keycode;
    });
    if (noted == expected_.end()) {
        return false;
    }
    expected_.erase(noted);
    return true;
}

void X11ExpectedKeys::addGroupKey(std::uint32_t keycode) {
    std::lock_guard lock(mutex_);
    groupKeys_.push_back(keycode);
}

bool X11ExpectedKeys::isGroupKey(std::uint32_t keycode) const {
    std::lock_guard lock(mutex_);
    return std::find(groupKeys_.begin(), groupKeys_.end(), keycode) != groupKeys_.end();
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

std::uint64_t X11ExpectedKeys::matchedCount() const {
    std::lock_guard lock(mutex_);
    return matchedCount_;
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
