#include "framework/fcitx5/PressBook.h"

#include <algorithm>

#include "core/platform/Modifiers.h"

namespace plovik {

namespace {

std::uint8_t withoutLocks(std::uint8_t modifiers) {
    return Modifiers::fromBits(modifiers).without(Modifier::capsLock | Modifier::numLock).bits();
}

}  // namespace

void PressBook::notePassed(std::uint64_t sequence) {
    lastPassed_ = std::max(lastPassed_, sequence);
}

bool PressBook::isHeld(std::uint16_t key, std::uint8_t modifiers) const {
    const module::HeldKey pressed{key, withoutLocks(modifiers)};
    return std::any_of(held_.begin(), held_.end(), [&](const module::HeldKey& held) {
        return held.key == pressed.key && withoutLocks(held.modifiers) == pressed.modifiers;
    });
}

std::optional<PressBook::Withheld> PressBook::release(std::uint64_t sequence) {
    const auto found = std::find_if(withheld_.begin(), withheld_.end(), [&](const Withheld& press) {
        return press.sequence == sequence;
    });
    if (found == withheld_.end()) {
        return std::nullopt;
    }
    const Withheld press = *found;
    withheld_.erase(found);
    return press;
}

std::vector<PressBook::Withheld> PressBook::releaseAll() {
    std::vector<Withheld> all(withheld_.begin(), withheld_.end());
    withheld_.clear();
    return all;
}

std::vector<PressBook::Withheld> PressBook::releaseExpired(Clock::time_point now) {
    std::vector<Withheld> expired;
    // Every press before an expired one goes too: they leave in the order they came.
    while (std::any_of(withheld_.begin(), withheld_.end(),
                       [&](const Withheld& press) { return press.deadline <= now; })) {
        expired.push_back(withheld_.front());
        withheld_.pop_front();
    }
    return expired;
}

std::optional<PressBook::Clock::time_point> PressBook::nextDeadline() const {
    if (withheld_.empty()) {
        return std::nullopt;
    }
    return std::min_element(
               withheld_.begin(), withheld_.end(),
               [](const Withheld& a, const Withheld& b) { return a.deadline < b.deadline; })
        ->deadline;
}

void PressBook::reset() {
    *this = PressBook();
}

}  // namespace plovik
