#include "core/text/CodePoints.h"

#include <unicode/utf8.h>

#include <cstdint>

#include "core/text/Utf8.h"

namespace plovik::text {

std::size_t CodePoints::length(std::string_view text) {
    return Utf8::scalars(text).size();
}

std::optional<std::size_t> CodePoints::byteOffset(std::string_view text, std::size_t offset) {
    // Walks the bytes given, not a sanitized copy: callers cut their own text at the
    // offset, and a bad sequence is shorter than the U+FFFD it counts as.
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    std::size_t counted = 0;
    int32_t byte = 0;
    while (byte < length && counted < offset) {
        UChar32 scalar;
        U8_NEXT(bytes, byte, length, scalar);
        ++counted;
    }
    if (counted != offset) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(byte);
}

std::optional<std::string> CodePoints::substring(std::string_view text, std::size_t location,
                                                 std::size_t length) {
    const std::string clean = Utf8::sanitized(text);
    if (location > SIZE_MAX - length) {
        return std::nullopt;
    }
    const auto start = byteOffset(clean, location);
    const auto end = byteOffset(clean, location + length);
    if (!start || !end) {
        return std::nullopt;
    }
    return clean.substr(*start, *end - *start);
}

std::string_view CodePoints::last(std::string_view text, std::size_t count) {
    std::size_t start = text.size();
    for (std::size_t counted = 0; start > 0 && counted < count;) {
        --start;
        // Continuation bytes carry on the code point that starts before them.
        if ((static_cast<unsigned char>(text[start]) & 0xC0U) != 0x80U) {
            ++counted;
        }
    }
    return text.substr(start);
}

}  // namespace plovik::text
