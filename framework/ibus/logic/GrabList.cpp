#include "framework/ibus/logic/GrabList.h"

#include <algorithm>
#include <limits>
#include <string>
#include <utility>

namespace plovik::ibus {

GrabList::GrabList(std::vector<Combination> combinations) : combinations_(std::move(combinations)) {
    for (auto& combination : combinations_) {
        combination.modifiers = combination.modifiers & kCompared;
    }
}

std::optional<GrabList> GrabList::fromMessage(const EngineMessage& message) {
    if (message.kind != EngineMessage::Kind::grabs || message.fields.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<Combination> combinations;
    for (std::size_t i = 0; i < message.fields.size(); i += 2) {
        const auto key = message.number(i);
        const auto modifiers = message.number(i + 1);
        if (!key || !modifiers || *key > std::numeric_limits<std::uint16_t>::max() ||
            *modifiers > std::numeric_limits<std::uint8_t>::max()) {
            return std::nullopt;
        }
        combinations.push_back(
            {static_cast<Key>(*key), Modifiers::fromBits(static_cast<std::uint8_t>(*modifiers))});
    }
    return GrabList(std::move(combinations));
}

EngineMessage GrabList::toMessage() const {
    EngineMessage message{EngineMessage::Kind::grabs, {}};
    for (const auto& combination : combinations_) {
        message.fields.push_back(std::to_string(evdevCode(combination.key)));
        message.fields.push_back(std::to_string(combination.modifiers.bits()));
    }
    return message;
}

bool GrabList::matches(const KeyStroke& stroke) const {
    const Combination pressed{stroke.key(), stroke.modifiers() & kCompared};
    return !stroke.isRelease() &&
           std::find(combinations_.begin(), combinations_.end(), pressed) != combinations_.end();
}

}  // namespace plovik::ibus
