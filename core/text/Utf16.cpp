#include "core/text/Utf16.h"

#include <cstdint>

#include "core/text/Utf8.h"

namespace plovik::text {

namespace {

std::size_t unitsOf(char32_t scalar) { return scalar >= 0x10000 ? 2 : 1; }

}  // namespace

std::size_t Utf16::length(std::string_view text) {
    std::size_t units = 0;
    for (const char32_t scalar : Utf8::scalars(text)) {
        units += unitsOf(scalar);
    }
    return units;
}

std::optional<std::size_t> Utf16::byteOffset(std::string_view text, std::size_t unitOffset) {
    const std::string clean = Utf8::sanitized(text);
    std::size_t units = 0;
    std::size_t byte = 0;
    while (byte < clean.size() && units < unitOffset) {
        const char32_t scalar = Utf8::firstScalar(std::string_view(clean).substr(byte));
        units += unitsOf(scalar);
        byte += Utf8::encode(scalar).size();
    }
    if (units != unitOffset) {
        return std::nullopt;
    }
    return byte;
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

}  // namespace plovik::text
