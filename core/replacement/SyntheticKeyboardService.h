#pragma once

#include <chrono>
#include <optional>
#include <vector>

#include "core/platform/KeyInjector.h"
#include "core/replacement/TextReplacementRequest.h"

namespace plovik {

// Posts key events of our own: erasing and retyping a token, or one key press.
// Every event of a step is created before the first one is posted, so that a step
// the system cannot fully create sends nothing instead of half an edit.
class SyntheticKeyboardService {
  public:
    // The key that carries typed text; its own meaning is overridden by the text.
    static constexpr Key kTypingKey = Key::a;

    explicit SyntheticKeyboardService(KeyInjector& poster);

    using Events = std::vector<SyntheticKeyEvent>;

    // The events that erase `erased` (one backspace per user-perceived character) and
    // then type `typed` in one key press; absent when an event could not be created.
    std::optional<Events> replacement(const std::string& erased, const std::string& typed);
    // Posts those events for the expected token and delimiter and their replacement.
    // False (nothing posted) when an event could not be created.
    bool replace(const TextReplacementRequest& request);
    // A key down and up with exactly these modifiers. False (nothing posted) when an
    // event could not be created.
    bool postKeyStroke(Key key, Modifiers modifiers);
    // Lets the application take in what was posted, for at most `pause`.
    void awaitDelivery(std::chrono::milliseconds pause) { poster_.awaitDelivery(pause); }
    // Those events, to post another way; absent when an event could not be created.
    std::optional<Events> keyStroke(Key key, Modifiers modifiers);

  private:
    std::optional<Events> keyPress(Key key, Modifiers modifiers);
    std::optional<Events> typing(const std::string& text);
    void postAll(const Events& events);

    KeyInjector& poster_;
};

}  // namespace plovik
