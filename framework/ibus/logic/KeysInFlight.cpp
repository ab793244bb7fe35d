#include "framework/ibus/logic/KeysInFlight.h"

#include <utility>

#include "framework/ibus/logic/SurroundingText.h"

namespace plovik::ibus {

void KeysInFlight::typed(std::string text) {
    keys_.push_back({std::move(text), false});
}

void KeysInFlight::erased() {
    keys_.push_back({{}, true});
}

void KeysInFlight::unforeseeable() {
    unforeseeable_ = true;
}

void KeysInFlight::clear() {
    keys_.clear();
    unforeseeable_ = false;
}

std::string KeysInFlight::applied(std::string before, const Entry& entry) {
    return entry.erases ? withoutLastCodePoints(before, 1) : before + entry.text;
}

void KeysInFlight::reported(const std::string& previous, const std::string& now) {
    if (unforeseeable_) {
        clear();
        return;
    }
    if (now == previous) {
        return;
    }
    // The fewest keys that make the change: a client reports after each key it handles,
    // and where more would make the same text the next report tells them apart.
    std::string expected = previous;
    for (std::size_t count = 1; count <= keys_.size(); ++count) {
        expected = applied(std::move(expected), keys_[count - 1]);
        if (expected == now) {
            keys_.erase(keys_.begin(), keys_.begin() + static_cast<std::ptrdiff_t>(count));
            return;
        }
    }
    // Not what the keys would have made: the text changed some other way.
    clear();
}

std::string KeysInFlight::ahead(const std::string& before) const {
    std::string result = before;
    for (const auto& entry : keys_) {
        result = applied(std::move(result), entry);
    }
    return result;
}

}  // namespace plovik::ibus
