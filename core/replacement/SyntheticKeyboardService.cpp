#include "core/replacement/SyntheticKeyboardService.h"

#include "core/text/Graphemes.h"

namespace plovik {

SyntheticKeyboardService::SyntheticKeyboardService(EventPoster& poster) : poster_(poster) {}

std::optional<SyntheticKeyboardService::Events> SyntheticKeyboardService::replacement(
    const std::string& erased, const std::string& typed, const std::string& kept) {
    Events events;
    const auto press = [&](Key key, std::size_t times) {
        for (std::size_t i = 0; i < times; ++i) {
            const auto stroke = keyPress(key, {});
            if (!stroke) {
                return false;
            }
            events.insert(events.end(), stroke->begin(), stroke->end());
        }
        return true;
    };
    const std::size_t stepped = text::Graphemes::count(kept);
    if (!press(Key::left, stepped) || !press(Key::backspace, text::Graphemes::count(erased))) {
        return std::nullopt;
    }
    // An empty string would let the typing key type its own character.
    if (!typed.empty()) {
        const auto typing = this->typing(typed);
        if (!typing) {
            return std::nullopt;
        }
        events.insert(events.end(), typing->begin(), typing->end());
    }
    if (!press(Key::right, stepped)) {
        return std::nullopt;
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
