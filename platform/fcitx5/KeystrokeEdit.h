#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/KeyInjector.h"

namespace plovik {

// Plovik's keystroke replacement (arrows over what stays, backspaces, the new text, arrows
// back) as the one edit of the text before the caret that it stands for: an input method
// edits text, and the keys it would forward arrive out of order with its edits.
class KeystrokeEdit {
  public:
    // The text to replace, ending at the caret, and what replaces it.
    struct Parts {
        std::string before;
        std::string replacement;
        bool operator==(const Parts&) const = default;
    };

    // `erased` characters (as a backspace counts them) before `kept` characters before the
    // caret give way to `typed`, and the kept ones stay after it; absent when the text
    // before the caret holds fewer characters.
    static std::optional<Parts> of(std::string_view textBeforeCaret, std::size_t erased,
                                   std::size_t kept, const std::string& typed);
    // The same read from key events: key-downs of Left, Backspace, typed text, then Right,
    // as many Right as Left. Absent for any other sequence.
    static std::optional<Parts> of(std::string_view textBeforeCaret,
                                   const std::vector<SyntheticKeyEvent>& events);
};

}  // namespace plovik
