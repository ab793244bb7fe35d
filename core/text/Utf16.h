#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace plovik::text {

// Positions exchanged with accessibility interfaces count UTF-16 code units.
class Utf16 {
  public:
    // Length in UTF-16 units of the text (malformed bytes count as U+FFFD).
    static std::size_t length(std::string_view text);
    // The UTF-8 text of units [location, location + length); absent when the range
    // leaves the text or cuts a surrogate pair.
    static std::optional<std::string> substring(std::string_view text, std::size_t location,
                                                std::size_t length);
    // Byte offset in the text of a UTF-16 offset; absent when outside or inside a pair.
    static std::optional<std::size_t> byteOffset(std::string_view text, std::size_t unitOffset);
    // The UTF-16 units of the text (malformed bytes become U+FFFD).
    static std::u16string encode(std::string_view text);
    // UTF-8 of UTF-16 units; an unpaired surrogate becomes U+FFFD.
    static std::string decode(std::u16string_view units);
};

}  // namespace plovik::text
