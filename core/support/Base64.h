#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace plovik {

// Standard Base64 with padding (RFC 4648, section 4), as stored documents hold bytes.
class Base64 {
  public:
    static std::string encode(std::span<const std::uint8_t> bytes);
    // Absent unless the text is canonical padded Base64: no whitespace, no other
    // alphabet, no missing or extra padding, no stray bits in the last character.
    static std::optional<std::vector<std::uint8_t>> decode(std::string_view text);
};

}  // namespace plovik
