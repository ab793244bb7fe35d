#include "core/text/Utf16.h"

#include <unicode/utf8.h>

#include <cstdint>
#include <vector>

#include "core/text/Utf8.h"

namespace plovik::text {

namespace {

std::size_t unitsOf(char32_t scalar) {
    return scalar >= 0x10000 ? 2 : 1;
}

}  // namespace

std::size_t Utf16::length(std::string_view text) {
    std::size_t units = 0;
    for (const char32_t scalar : Utf8::scalars(text)) {
        units += unitsOf(scalar);
    }
    return units;
}

std::optional<std::size_t> Utf16::byteOffset(std::string_view text, std::size_t unitOffset) {
    // Walks the bytes given, not a sanitized copy: callers cut their own text at the
    // offset, and a bad sequence is shorter than the U+FFFD it counts as.
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    std::size_t units = 0;
    int32_t byte = 0;
    while (byte < length && units < unitOffset) {
        UChar32 scalar;
        U8_NEXT(bytes, byte, length, scalar);
        units += scalar < 0 ? 1 : unitsOf(static_cast<char32_t>(scalar));
    }
    if (units != unitOffset) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(byte);
}

std::optional<std::string> Utf16::substring(std::string_view text, std::size_t location,
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

std::u16string Utf16::encode(std::string_view text) {
    std::u16string units;
    for (const char32_t scalar : Utf8::scalars(text)) {
        if (scalar >= 0x10000) {
            const char32_t offset = scalar - 0x10000;
            units.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(scalar));
        }
    }
    return units;
}

std::string Utf16::decode(std::u16string_view units) {
    std::vector<char32_t> scalars;
    scalars.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char32_t unit = units[i];
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const bool lowFollows =
            i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF;
        if (high && lowFollows) {
            scalars.push_back(0x10000 + ((unit - 0xD800) << 10) + (units[++i] - 0xDC00));
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            scalars.push_back(0xFFFD);
        } else {
            scalars.push_back(unit);
        }
    }
    return Utf8::encode(scalars);
}

}  // namespace plovik::text
