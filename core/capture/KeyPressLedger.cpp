#include "core/capture/KeyPressLedger.h"

#include <algorithm>

namespace plovik {

KeyPressNumber KeyPressLedger::record(std::optional<std::string> typed) {
    std::lock_guard lock(mutex_);
    presses_.push_back({++latest_, std::move(typed), false});
    if (presses_.size() > kRememberedPresses) {
        presses_.pop_front();
    }
    return latest_;
}

const KeyPressLedger::Press* KeyPressLedger::find(KeyPressNumber number) const {
    if (presses_.empty() || number < presses_.front().number || number > latest_) {
        return nullptr;
    }
    return &presses_[number - presses_.front().number];
}

void KeyPressLedger::noteSwallowed(KeyPressNumber press) {
    std::lock_guard lock(mutex_);
    if (Press* found = const_cast<Press*>(find(press))) {
        found->swallowed = true;
    }
}

void KeyPressLedger::notePassedOn(KeyPressNumber press) {
    std::lock_guard lock(mutex_);
    if (Press* found = const_cast<Press*>(find(press))) {
        found->swallowed = false;
    }
}

KeyPressNumber KeyPressLedger::latest() const {
    std::lock_guard lock(mutex_);
    return latest_;
}

bool KeyPressLedger::hasPressGoneOnSince(KeyPressNumber press) const {
    std::lock_guard lock(mutex_);
    for (KeyPressNumber number = press + 1; number <= latest_; ++number) {
        // A forgotten press counts as gone on: refusing is the safe mistake.
        const Press* found = find(number);
        if (!found || !found->swallowed) {
            return true;
        }
    }
    return false;
}

std::optional<std::string> KeyPressLedger::typedBetween(KeyPressNumber after,
                                                        KeyPressNumber upTo) const {
    std::lock_guard lock(mutex_);
    std::string typed;
    for (KeyPressNumber number = after + 1; number <= std::min(upTo, latest_); ++number) {
        const Press* found = find(number);
        if (!found) {
            return std::nullopt;
        }
        if (found->swallowed) {
            continue;
        }
        if (!found->typed) {
            return std::nullopt;
        }
        typed += *found->typed;
    }
    return typed;
}

bool KeyPressLedger::onlyTextSince(KeyPressNumber after) const {
    std::lock_guard lock(mutex_);
    for (KeyPressNumber number = after + 1; number <= latest_; ++number) {
        const Press* found = find(number);
        if (!found || found->swallowed || !found->typed || found->typed->empty() ||
            found->typed->find_first_of("\n\r\t") != std::string::npos) {
            return false;
        }
    }
    return true;
}

}  // namespace plovik
