#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plovik::text {

// UTF-8 decoding and encoding. Malformed input (bad bytes, encoded surrogates,
// truncated sequences) decodes to U+FFFD, one per maximal bad subsequence.
class Utf8 {
  public:
    static std::vector<char32_t> scalars(std::string_view text);
    static std::string encode(char32_t scalar);
    static std::string encode(const std::vector<char32_t>& scalars);
    // The text with every malformed sequence replaced by U+FFFD.
    static std::string sanitized(std::string_view text);
    static bool isValid(std::string_view text);
    // Byte offset where the first malformed sequence starts; absent for valid text.
    static std::optional<std::size_t> firstMalformedOffset(std::string_view text);
    // The first scalar, or U+FFFD when the text is empty or starts malformed.
    static char32_t firstScalar(std::string_view text);
};

}  // namespace plovik::text
