#include "core/replacement/SyntheticKeyboardService.h"

#include "core/text/Graphemes.h"

namespace plovik {

SyntheticKeyboardService::SyntheticKeyboardService(EventPoster& poster) : poster_(poster) {}

bool SyntheticKeyboardService::replace(const TextReplacementRequest& request) {
    const std::size_t count = text::Graphemes::count(request.expectedText) +
                              text::Graphemes::count(request.expectedTrailingDelimiter);
    Events events;
    for (std::size_t i = 0; i < count; ++i) {
        const auto backspace = keyPress(kDeleteKeyCode, 0);
        if (!backspace) {
            return false;
        }
        events.insert(events.end(), backspace->begin(), backspace->end());
    }
    const std::string replacement = request.replacementText + request.replacementTrailingDelimiter;
    // An empty string would let the typing key type its own character.
    if (!replacement.empty()) {
        const auto typed = typing(replacement);
        if (!typed) {
            return false;
        }
        events.insert(events.end(), typed->begin(), typed->end());
    }
    postAll(events);
    return true;
}

bool SyntheticKeyboardService::postKeyStroke(std::uint16_t virtualKey, std::uint64_t flags) {
    const auto events = keyPress(virtualKey, flags);
    if (!events) {
        return false;
    }
    postAll(*events);
    return true;
}

std::optional<SyntheticKeyboardService::Events> SyntheticKeyboardService::keyPress(
    std::uint16_t virtualKey, std::uint64_t flags) {
    Events events;
    for (const bool isKeyDown : {true, false}) {
        const auto source = poster_.createSource();
        auto event = source ? source->createKeyboardEvent(virtualKey, isKeyDown) : std::nullopt;
        if (!event) {
            return std::nullopt;
        }
        event->flags = flags;
        event->userData = generatedEventMarker;
        events.push_back(*event);
    }
    return events;
}

std::optional<SyntheticKeyboardService::Events> SyntheticKeyboardService::typing(
    const std::string& text) {
    const auto source = poster_.createSource();
    if (!source) {
        return std::nullopt;
    }
    Events events;
    for (const bool isKeyDown : {true, false}) {
        // The source's flags stay: the string alone decides what is typed.
        auto event = source->createKeyboardEvent(kTypingKeyCode, isKeyDown);
        if (!event) {
            return std::nullopt;
        }
        event->userData = generatedEventMarker;
        event->unicodeString = text;
        events.push_back(*event);
    }
    return events;
}

void SyntheticKeyboardService::postAll(const Events& events) {
    for (const auto& event : events) {
        poster_.post(event);
    }
}

}  // namespace plovik
