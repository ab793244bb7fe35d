#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/layouts/KeyboardLayout.h"
#include "core/platform/TextRange.h"
#include "core/replacement/TextReplacementRequest.h"

namespace plovik {

// Text converted to the other layout on the user's request, kept in memory so that it can
// be converted back or undone. Never part of the learning history.
struct LastConversion {
    std::string applicationBundleIdentifier;
    std::string original;
    std::string converted;
    // Where the converted text stands, selected, when a selection was converted; absent for
    // the phrase before the caret.
    std::optional<TextRange> selectedRange;
    // The layout the original's last run was typed in, and the one it reads in now.
    std::optional<KeyboardLayout> sourceLayout;
    std::optional<KeyboardLayout> targetLayout;
    // The layout selected before the conversion switched to the target one.
    std::optional<KeyboardLayout> layoutBeforeSwitch;

    // The request that puts `replacement` in place of `expected` right before the caret;
    // the whitespace ending both is their delimiter, so that the phrase ends there.
    static TextReplacementRequest requestBeforeCaret(std::string_view expected,
                                                     std::string_view replacement);
    // The text as a message quotes it: a long one is cut after its first characters.
    static std::string excerpt(std::string_view text);
    // The request that puts the original back in place of a converted phrase.
    TextReplacementRequest requestBack() const { return requestBeforeCaret(converted, original); }

    bool operator==(const LastConversion&) const = default;
};

}  // namespace plovik
