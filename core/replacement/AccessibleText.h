#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/platform/Accessibility.h"

namespace plovik {

// Reading the text of a code-point range of an element, the way both the focus service
// and the replacement service need it.
class AccessibleText {
  public:
    // "String for range" first; otherwise the same range of the element's value when
    // the value is long enough. Absent when neither works.
    static std::optional<std::string> read(const AccessibilityElement& element, TextRange range);

    // The code-point range of UTF-8 text, malformed bytes as U+FFFD. Absent when the
    // range is negative or leaves the text.
    static std::optional<std::string> slice(std::string_view text, TextRange range);
    // The text with each no-break space as the space the user typed: a browser keeps a
    // space typed at the end of an editable block as U+00A0, until more text follows.
    static std::string withTypedSpaces(std::string_view text);
    // Whether the field shows `typed`, a no-break space standing for a typed space.
    static bool showsTyped(const std::optional<std::string>& shown, std::string_view typed);
};

}  // namespace plovik
