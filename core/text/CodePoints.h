#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace plovik::text {

// Positions exchanged with accessibility interfaces count Unicode code points.
// Malformed bytes count as U+FFFD, one per maximal bad subsequence, as Utf8 decodes them.
class CodePoints {
  public:
    static std::size_t length(std::string_view text);
    // The UTF-8 text of code points [location, location + length), malformed sequences
    // replaced by U+FFFD; absent when the range leaves the text.
    static std::optional<std::string> substring(std::string_view text, std::size_t location,
                                                std::size_t length);
    // Byte offset in the text of a code-point offset; absent past the end.
    static std::optional<std::size_t> byteOffset(std::string_view text, std::size_t offset);
    // The end of the text that holds its last `count` code points (for well-formed text).
    static std::string_view last(std::string_view text, std::size_t count);
};

}  // namespace plovik::text
