#include "framework/ibus/logic/SurroundingText.h"

#include <glib.h>

#include <array>

namespace plovik::ibus {

namespace {

// What GTK, Qt and GNOME Shell show in place of hidden characters.
constexpr std::array<std::string_view, 3> kMaskCharacters{"\u25CF", "\u2022", "*"};

bool isCharacterBoundary(std::string_view text, std::size_t byte) {
    return byte == 0 || byte >= text.size() ||
           (static_cast<unsigned char>(text[byte]) & 0xC0) != 0x80;
}

std::optional<std::size_t> toCodePoints(std::string_view text, unsigned offset, OffsetUnits units) {
    if (units == OffsetUnits::characters) {
        return offset <= codePointCount(text) ? std::optional<std::size_t>(offset) : std::nullopt;
    }
    if (offset > text.size() || !isCharacterBoundary(text, offset)) {
        return std::nullopt;
    }
    return codePointCount(text.substr(0, offset));
}

}  // namespace

std::size_t codePointCount(std::string_view text) {
    return static_cast<std::size_t>(g_utf8_strlen(text.data(), static_cast<gssize>(text.size())));
}

std::string withoutLastCodePoints(std::string_view text, std::size_t count) {
    const std::size_t length = codePointCount(text);
    if (count >= length) {
        return {};
    }
    const char* end = g_utf8_offset_to_pointer(text.data(), static_cast<glong>(length - count));
    return std::string(text.substr(0, static_cast<std::size_t>(end - text.data())));
}

bool endIsAscii(std::string_view text, std::size_t count) {
    const std::string_view end = text.substr(withoutLastCodePoints(text, count).size());
    return codePointCount(end) == end.size();
}

std::optional<SurroundingText> SurroundingText::fromClient(std::string_view text, unsigned cursor,
                                                           unsigned anchor, OffsetUnits units) {
    if (!g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
        return std::nullopt;
    }
    const auto cursorPoints = toCodePoints(text, cursor, units);
    const auto anchorPoints = toCodePoints(text, anchor, units);
    if (!cursorPoints || !anchorPoints) {
        return std::nullopt;
    }
    return SurroundingText{std::string(text), *cursorPoints, *anchorPoints};
}

std::optional<OffsetUnits> SurroundingText::unitsShownBy(std::string_view text, unsigned cursor) {
    if (!g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
        return std::nullopt;
    }
    if (cursor > codePointCount(text)) {
        return OffsetUnits::bytes;
    }
    if (!isCharacterBoundary(text, cursor)) {
        return OffsetUnits::characters;
    }
    return std::nullopt;
}

std::string SurroundingText::beforeCursor() const {
    const char* end = g_utf8_offset_to_pointer(text.data(), static_cast<glong>(cursor));
    return text.substr(0, static_cast<std::size_t>(end - text.data()));
}

bool SurroundingText::isMasked() const {
    if (text.empty()) {
        return false;
    }
    std::string_view rest = text;
    while (!rest.empty()) {
        bool matched = false;
        for (const auto mask : kMaskCharacters) {
            if (rest.starts_with(mask)) {
                rest.remove_prefix(mask.size());
                matched = true;
                break;
            }
        }
        if (!matched) {
            return false;
        }
    }
    return true;
}

}  // namespace plovik::ibus
