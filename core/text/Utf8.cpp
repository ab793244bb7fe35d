#include "core/text/Utf8.h"

#include <unicode/utf8.h>

namespace plovik::text {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

template <typename Visit>
void decode(std::string_view text, Visit&& visit) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    int32_t offset = 0;
    while (offset < length) {
        const int32_t start = offset;
        UChar32 scalar;
        U8_NEXT(bytes, offset, length, scalar);
        visit(scalar < 0 ? kReplacement : static_cast<char32_t>(scalar), start, offset,
              scalar >= 0);
    }
}

}  // namespace

std::vector<char32_t> Utf8::scalars(std::string_view text) {
    std::vector<char32_t> result;
    result.reserve(text.size());
    decode(text, [&](char32_t scalar, int32_t, int32_t, bool) { result.push_back(scalar); });
    return result;
}

std::string Utf8::encode(char32_t scalar) {
    if (scalar > 0x10FFFF || (scalar >= 0xD800 && scalar <= 0xDFFF)) {
        scalar = kReplacement;
    }
    uint8_t buffer[U8_MAX_LENGTH];
    int32_t length = 0;
    U8_APPEND_UNSAFE(buffer, length, static_cast<UChar32>(scalar));
    return std::string(reinterpret_cast<const char*>(buffer), static_cast<size_t>(length));
}

std::string Utf8::encode(const std::vector<char32_t>& scalars) {
    std::string result;
    result.reserve(scalars.size());
    for (const char32_t scalar : scalars) {
        result += encode(scalar);
    }
    return result;
}

std::string Utf8::sanitized(std::string_view text) {
    if (isValid(text)) {
        return std::string(text);
    }
    std::string result;
    result.reserve(text.size() + 8);
    decode(text, [&](char32_t scalar, int32_t start, int32_t end, bool valid) {
        if (valid) {
            result.append(
                text.substr(static_cast<size_t>(start), static_cast<size_t>(end - start)));
        } else {
            result += encode(scalar);
        }
    });
    return result;
}

bool Utf8::isValid(std::string_view text) {
    bool valid = true;
    decode(text, [&](char32_t, int32_t, int32_t, bool ok) { valid = valid && ok; });
    return valid;
}

std::optional<std::size_t> Utf8::firstMalformedOffset(std::string_view text) {
    std::optional<std::size_t> found;
    decode(text, [&](char32_t, int32_t start, int32_t, bool ok) {
        if (!ok && !found) {
            found = static_cast<std::size_t>(start);
        }
    });
    return found;
}

char32_t Utf8::firstScalar(std::string_view text) {
    if (text.empty()) {
        return kReplacement;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    int32_t offset = 0;
    UChar32 scalar;
    U8_NEXT(bytes, offset, static_cast<int32_t>(text.size()), scalar);
    return scalar < 0 ? kReplacement : static_cast<char32_t>(scalar);
}

}  // namespace plovik::text
