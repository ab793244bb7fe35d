#include "core/replacement/AccessibleText.h"

#include <cstddef>

#include "core/text/Utf16.h"

namespace plovik {

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

}  // namespace

std::optional<std::string> AccessibleText::read(const AccessibilityElement& element,
                                                TextRange range) {
    if (auto text = element.stringForRange(range).valueIfPresent()) {
        return text;
    }
    const auto value = element.value().valueIfPresent();
    if (!value || range.location < 0 || range.length < 0 ||
        static_cast<std::int64_t>(text::Utf16::length(*value)) < range.end()) {
        return std::nullopt;
    }
    return slice(*value, range);
}

std::optional<std::string> AccessibleText::slice(std::string_view text, TextRange range) {
    const auto total = static_cast<std::int64_t>(text::Utf16::length(text));
    if (range.location < 0 || range.length < 0 || range.end() > total) {
        return std::nullopt;
    }
    auto start = static_cast<std::size_t>(range.location);
    auto end = static_cast<std::size_t>(range.end());
    // A boundary inside a pair moves outwards past the pair's half, which becomes U+FFFD.
    const bool cutAtStart = !text::Utf16::byteOffset(text, start);
    const bool cutAtEnd = !text::Utf16::byteOffset(text, end);
    if (start == end) {
        return std::string();
    }
    if (cutAtStart) {
        ++start;
    }
    if (cutAtEnd) {
        --end;
    }
    std::string result(cutAtStart ? kReplacementCharacter : "");
    if (start < end) {
        const auto inner = text::Utf16::substring(text, start, end - start);
        if (!inner) {
            return std::nullopt;
        }
        result += *inner;
    }
    if (cutAtEnd) {
        result += kReplacementCharacter;
    }
    return result;
}

}  // namespace plovik
