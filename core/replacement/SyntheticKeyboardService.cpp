#include "core/replacement/SyntheticKeyboardService.h"

#include "core/text/Graphemes.h"

namespace plovik {

SyntheticKeyboardService::SyntheticKeyboardService(EventPoster& poster) : poster_(poster) {}

bool SyntheticKeyboardService::replace(const TextReplacementRequest& request) {
    const std::size_t count = text::Graphemes::count(request.expectedText) +
                              text::Graphemes::count(request.expectedTrailingDelimiter);
    Events events;
    for (std::size_t i = 0; i < count; ++i) {
        const auto backspace = keyPress(Key::backspace, {});
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

bool SyntheticKeyboardService::postKeyStroke(Key key, Modifiers modifiers) {
    const auto events = keyPress(key, modifiers);
    if (!events) {
        return false;
    }
    postAll(*events);
    return true;
}

std::optional<SyntheticKeyboardService::Events> SyntheticKeyboardService::keyPress(
    Key key, Modifiers modifiers) {
    Events events;
    for (const bool isKeyDown : {true, false}) {
        auto event = poster_.createKeyEvent(key, isKeyDown);
        if (!event) {
            return std::nullopt;
        }
        event->modifiers = modifiers;
        events.push_back(*event);
    }
    return events;
}

std::optional<SyntheticKeyboardService::Events> SyntheticKeyboardService::typing(
    const std::string& text) {
    if (!poster_.prepareText(text)) {
        return std::nullopt;
    }
    Events events;
    for (const bool isKeyDown : {true, false}) {
        // The held modifiers stay: the text alone decides what is typed.
        auto event = poster_.createKeyEvent(kTypingKey, isKeyDown);
        if (!event) {
            return std::nullopt;
        }
        event->text = text;
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
