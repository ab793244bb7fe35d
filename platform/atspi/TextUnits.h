#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace plovik {

// How a toolkit counts text positions over AT-SPI. GTK counts code points (but takes
// the insert length in bytes); Qt and Gecko count UTF-16 units everywhere.
enum class TextUnits { codePoints, utf16 };

class TextUnitConversion {
  public:
    static TextUnits forToolkit(std::string_view toolkitName);
    // The toolkit position of a code-point offset into `text`; absent past the end.
    static std::optional<long> toToolkit(std::string_view text, long codePointOffset,
                                         TextUnits units);
    // The code-point offset of a toolkit position; absent past the end or inside a
    // surrogate pair.
    static std::optional<long> fromToolkit(std::string_view text, long toolkitOffset,
                                           TextUnits units);
    // The length argument of EditableText.InsertText for `text`.
    static long insertLength(std::string_view text, TextUnits units);
    static long codePointCount(std::string_view text);
};

}  // namespace plovik
