#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace plovik::text {

// User-perceived characters (extended grapheme clusters) of UTF-8 text.
// Malformed input is read as if each bad sequence were U+FFFD.
class Graphemes {
  public:
    static std::vector<std::string> split(std::string_view text);
    static std::size_t count(std::string_view text);
    // The last `n` characters (all of them when there are fewer).
    static std::string last(std::string_view text, std::size_t n);
    // The text without its last `n` characters ("" when there are fewer).
    static std::string droppingLast(std::string_view text, std::size_t n = 1);
    // The last character, "" for empty text.
    static std::string lastCharacter(std::string_view text);
    static bool hasSuffix(std::string_view text, std::string_view suffix);
    // Byte offsets where characters start, plus the end offset, over sanitized text.
    static std::vector<std::size_t> boundaries(std::string_view text);
    // True when a character boundary falls between the two scalars whatever text surrounds
    // them; false when it may not.
    static bool alwaysBreaksBetween(char32_t before, char32_t after);
    // Each character in turn, reading a bounded piece of the text at a time: memory
    // stays the same however long the text is.
    static void forEach(std::string_view text,
                        const std::function<void(const std::string&)>& visit);
};

}  // namespace plovik::text
