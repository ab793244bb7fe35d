#include "core/replacement/AccessibleText.h"

#include <cstddef>
#include <cstdint>

#include "core/text/CodePoints.h"

namespace plovik {

std::optional<std::string> AccessibleText::read(const AccessibilityElement& element,
                                                TextRange range) {
    if (auto text = element.stringForRange(range).valueIfPresent()) {
        return text;
    }
    const auto value = element.value().valueIfPresent();
    if (!value || range.location < 0 || range.length < 0 ||
        static_cast<std::int64_t>(text::CodePoints::length(*value)) < range.end()) {
        return std::nullopt;
    }
    return slice(*value, range);
}

std::optional<std::string> AccessibleText::slice(std::string_view text, TextRange range) {
    if (range.location < 0 || range.length < 0) {
        return std::nullopt;
    }
    return text::CodePoints::substring(text, static_cast<std::size_t>(range.location),
                                       static_cast<std::size_t>(range.length));
}

std::string AccessibleText::withTypedSpaces(std::string_view text) {
    constexpr std::string_view kNoBreakSpace = "\u00A0";
    std::string result;
    result.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        if (text.substr(at, kNoBreakSpace.size()) == kNoBreakSpace) {
            result += ' ';
            at += kNoBreakSpace.size();
        } else {
            result += text[at++];
        }
    }
    return result;
}

bool AccessibleText::showsTyped(const std::optional<std::string>& shown, std::string_view typed) {
    return shown && withTypedSpaces(*shown) == withTypedSpaces(typed);
}

}  // namespace plovik
