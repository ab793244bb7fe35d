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

}  // namespace plovik
