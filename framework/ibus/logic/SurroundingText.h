#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace plovik::ibus {

// How a client counts the offsets it reports with its surrounding text. IBus documents
// characters; GNOME Shell 43 hands Wayland clients' offsets on in UTF-8 bytes.
enum class OffsetUnits { bytes, characters };

// The text around the caret as a client reported it, with the caret and the anchor in
// code points whatever units the client used.
struct SurroundingText {
    std::string text;
    std::size_t cursor = 0;
    std::size_t anchor = 0;

    // Absent when the text is not UTF-8 or an offset does not fit it in `units`.
    static std::optional<SurroundingText> fromClient(std::string_view text, unsigned cursor,
                                                     unsigned anchor, OffsetUnits units);
    // What the offsets themselves prove about the units: a cursor past the last
    // character counts bytes, one inside a character's bytes counts characters.
    static std::optional<OffsetUnits> unitsShownBy(std::string_view text, unsigned cursor);

    std::string beforeCursor() const;
    bool hasSelection() const { return cursor != anchor; }
    // Only the marks a hidden entry shows in place of its text (a password, typed where
    // the client did not say so).
    bool isMasked() const;

    bool operator==(const SurroundingText&) const = default;
};

// Code points of valid UTF-8.
std::size_t codePointCount(std::string_view text);
// The text without its last `count` code points; all of it is removed when shorter.
std::string withoutLastCodePoints(std::string_view text, std::size_t count);
// Whether the last `count` code points of `text` are all ASCII.
bool endIsAscii(std::string_view text, std::size_t count);

}  // namespace plovik::ibus
