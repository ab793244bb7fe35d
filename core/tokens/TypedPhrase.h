#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/platform/Clock.h"
#include "core/tokens/CurrentTokenBuffer.h"

namespace plovik {

// The phrase just typed: the words of the current line typed in one run, after the last
// word Plovik corrected. A pause in the typing, a line break, or the token buffer giving
// up on the field (focus, application or layout changed, keys it could not follow) starts
// a new one. What the conversion shortcut converts when nothing is selected; the field
// must still show it before the caret.
class TypedPhrase {
  public:
    // Longer than a thought between two words, shorter than turning to something else.
    static constexpr std::chrono::seconds kPause{3};
    // In characters; a longer run keeps its last whole words.
    static constexpr std::size_t kMaximumLength = 256;

    explicit TypedPhrase(const CurrentTokenBuffer& followed);

    // The characters one key typed at `time`.
    void type(std::string_view text, TimePoint time);
    void deleteBackward();
    // Plovik replaced `replaced`, the last text of that kind typed: it is no longer the
    // user's typing, and the phrase goes on after it.
    void noteCorrection(std::string_view replaced);
    void reset();

    // Whole words only, from the first one after the start of the line, without the
    // whitespace before it; empty when nothing was typed.
    std::string text() const;

  private:
    bool followsBuffer() const { return bufferResets_ == followed_.resetCount(); }
    void keepFromCurrentWord();
    void trimToLength();

    const CurrentTokenBuffer& followed_;
    std::string text_;
    // Whether text_ starts in the middle of what was typed.
    bool startsMidway_ = false;
    std::optional<TimePoint> lastKey_;
    std::uint64_t bufferResets_;
};

}  // namespace plovik
