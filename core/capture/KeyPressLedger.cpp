#include "core/capture/KeyPressLedger.h"

#include <algorithm>

namespace plovik {

KeyPressNumber KeyPressLedger::record() {
    std::lock_guard lock(mutex_);
    return ++latest_;
}

void KeyPressLedger::noteSwallowed(KeyPressNumber press) {
    if (press == 0) {
        return;
    }
    std::lock_guard lock(mutex_);
    swallowed_.push_back(press);
    if (swallowed_.size() > kRememberedSwallowedPresses) {
        swallowed_.pop_front();
    }
}

KeyPressNumber KeyPressLedger::latest() const {
    std::lock_guard lock(mutex_);
    return latest_;
}

bool KeyPressLedger::hasPressGoneOnSince(KeyPressNumber press) const {
    std::lock_guard lock(mutex_);
    if (latest_ <= press) {
        return false;
    }
    // A forgotten swallowed press counts as gone on: refusing is the safe mistake.
    const auto swallowedSince = std::count_if(swallowed_.begin(), swallowed_.end(),
                                              [press](KeyPressNumber n) { return n > press; });
    return latest_ - press > static_cast<KeyPressNumber>(swallowedSince);
}

}  // namespace plovik
