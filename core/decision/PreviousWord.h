#pragma once

#include <string>
#include <utility>

#include "core/layouts/KeyboardLayout.h"

namespace plovik {

// The word right before the one being judged, as the word reader last saw it: the layout it was
// typed in and left in, and its text with the delimiter after it. The text is empty when
// unknown; the application empties the text before a word on every switch of layouts.
struct PreviousWord {
    PreviousWord(KeyboardLayout layout, std::string text = {})
        : layout(std::move(layout)), text(std::move(text)) {}

    KeyboardLayout layout;
    std::string text;

    bool operator==(const PreviousWord&) const = default;
};

}  // namespace plovik
