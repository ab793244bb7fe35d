#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/capture/SyntheticEventMarker.h"
#include "core/platform/EventPoster.h"
#include "core/replacement/TextReplacementRequest.h"

namespace plovik {

// Posts marked key events: erasing and retyping a token, or one key press.
// Every event of a step is created before the first one is posted, so that a step
// the system cannot fully create sends nothing instead of half an edit.
class SyntheticKeyboardService {
  public:
    static constexpr std::int64_t generatedEventMarker = kSyntheticEventMarker;
    static constexpr std::uint16_t kDeleteKeyCode = 51;
    // The key that carries typed text; its own meaning is overridden by the string.
    static constexpr std::uint16_t kTypingKeyCode = 0;

    explicit SyntheticKeyboardService(EventPoster& poster);

    // One backspace per user-perceived character of the expected token and delimiter,
    // then the replacement and its delimiter in one key press. False (nothing posted)
    // when an event could not be created.
    bool replace(const TextReplacementRequest& request);
    // A key down and up with exactly these flags. False (nothing posted) when an
    // event could not be created.
    bool postKeyStroke(std::uint16_t virtualKey, std::uint64_t flags);

  private:
    using Events = std::vector<SyntheticKeyEvent>;

    // Down and up of one key, each from its own new source.
    std::optional<Events> keyPress(std::uint16_t virtualKey, std::uint64_t flags);
    std::optional<Events> typing(const std::string& text);
    void postAll(const Events& events);

    EventPoster& poster_;
};

}  // namespace plovik
