#include "core/replacement/SyntheticKeyboardService.h"

#include "core/text/Graphemes.h"

namespace plovik {

SyntheticKeyboardService::SyntheticKeyboardService(KeyInjector& poster) : poster_(poster) {}

std::optional<SyntheticKeyboardService::Events> SyntheticKeyboardService::replacement(
    const std::string& erased, const std::string& typed) {
    Events events;
    const std::size_t backspaces = text::Graphemes::count(erased);
    for (std::size_t i = 0; i < backspaces; ++i) {
        const auto backspace = keyPress(Key::backspace, {});
        if (!backspace) {
            return std::nullopt;
        }
        events.insert(events.end(), backspace->begin(), backspace->end());
    }
    // An empty string would let the typing key type its own character.
    if (!typed.empty()) {
        const auto typing = this->typing(typed);
        if (!typing) {
            return std::nullopt;
        }
        events.insert(events.end(), typing->begin(), typing->end());
    }
    return events;
}

bool SyntheticKeyboardService::replace(const TextReplacementRequest& request) {
    const auto events = replacement(request.expectedText + request.expectedTrailingDelimiter,
                                    request.replacementText + request.replacementTrailingDelimiter);
    if (!events) {
        return false;
    }
    postAll(*events);
    return true;
}

std::optional<SyntheticKeyboardService::Events> SyntheticKeyboardService::keyStroke(
    Key key, Modifiers modifiers) {
    return keyPress(key, modifiers);
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
