#include "platform/atspi/TextUnits.h"

#include <algorithm>
#include <cctype>

#include "core/text/Utf8.h"

namespace plovik {
namespace {

long unitsOf(char32_t scalar, TextUnits units) {
    return units == TextUnits::utf16 && scalar > 0xFFFF ? 2 : 1;
}

std::string lowercased(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

}  // namespace

TextUnits TextUnitConversion::forToolkit(std::string_view toolkitName) {
    const std::string name = lowercased(toolkitName);
    return name.starts_with("qt") || name == "gecko" ? TextUnits::utf16 : TextUnits::codePoints;
}

std::optional<long> TextUnitConversion::toToolkit(std::string_view text, long codePointOffset,
                                                  TextUnits units) {
    if (codePointOffset < 0) {
        return std::nullopt;
    }
    long position = 0;
    long index = 0;
    for (const char32_t scalar : text::Utf8::scalars(text)) {
        if (index == codePointOffset) {
            return position;
        }
        position += unitsOf(scalar, units);
        ++index;
    }
    return index == codePointOffset ? std::optional(position) : std::nullopt;
}

std::optional<long> TextUnitConversion::fromToolkit(std::string_view text, long toolkitOffset,
                                                    TextUnits units) {
    if (toolkitOffset < 0) {
        return std::nullopt;
    }
    long position = 0;
    long index = 0;
    for (const char32_t scalar : text::Utf8::scalars(text)) {
        if (position == toolkitOffset) {
            return index;
        }
        if (position > toolkitOffset) {
            return std::nullopt;
        }
        position += unitsOf(scalar, units);
        ++index;
    }
    return position == toolkitOffset ? std::optional(index) : std::nullopt;
}

long TextUnitConversion::insertLength(std::string_view text, TextUnits units) {
    if (units == TextUnits::codePoints) {
        return static_cast<long>(text.size());
    }
    long length = 0;
    for (const char32_t scalar : text::Utf8::scalars(text)) {
        length += unitsOf(scalar, units);
    }
    return length;
}

long TextUnitConversion::codePointCount(std::string_view text) {
    return static_cast<long>(text::Utf8::scalars(text).size());
}

}  // namespace plovik
