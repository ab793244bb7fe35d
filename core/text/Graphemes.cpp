#include "core/text/Graphemes.h"

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <memory>

#include "core/text/Utf8.h"

namespace plovik::text {

namespace {

// Scalars whose break property guarantees a boundary on both sides (except CR LF),
// so plain Latin and Cyrillic text is segmented without a break iterator.
bool breaksAroundItself(UChar32 scalar) {
    if (scalar < 0x300) {
        return true;
    }
    switch (u_getIntPropertyValue(scalar, UCHAR_GRAPHEME_CLUSTER_BREAK)) {
        case U_GCB_OTHER:
        case U_GCB_CONTROL:
        case U_GCB_CR:
        case U_GCB_LF:
            return !u_hasBinaryProperty(scalar, UCHAR_EXTENDED_PICTOGRAPHIC);
        default:
            return false;
    }
}

// Returns false when the text needs full segmentation.
bool simpleBoundaries(std::string_view text, std::vector<std::size_t>& out) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    int32_t offset = 0;
    UChar32 previous = -1;
    while (offset < length) {
        const int32_t start = offset;
        UChar32 scalar;
        U8_NEXT(bytes, offset, length, scalar);
        if (!breaksAroundItself(scalar)) {
            return false;
        }
        if (!(previous == '\r' && scalar == '\n')) {
            out.push_back(static_cast<std::size_t>(start));
        }
        previous = scalar;
    }
    out.push_back(text.size());
    return true;
}

std::vector<std::size_t> icuBoundaries(const std::string& text) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> iterator(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    UText* utext = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
    std::vector<std::size_t> result;
    if (U_FAILURE(status) || !iterator) {
        utext_close(utext);
        // Without ICU data, scalars are the safest unit.
        result.push_back(0);
        return result;
    }
    iterator->setText(utext, status);
    for (int32_t boundary = iterator->first(); boundary != icu::BreakIterator::DONE;
         boundary = iterator->next()) {
        result.push_back(static_cast<std::size_t>(boundary));
    }
    utext_close(utext);
    return result;
}

}  // namespace

std::vector<std::size_t> Graphemes::boundaries(std::string_view text) {
    std::vector<std::size_t> result;
    result.reserve(text.size() + 1);
    if (simpleBoundaries(text, result)) {
        return result;
    }
    return icuBoundaries(std::string(text));
}

bool Graphemes::alwaysBreaksBetween(char32_t before, char32_t after) {
    return breaksAroundItself(static_cast<UChar32>(before)) &&
           breaksAroundItself(static_cast<UChar32>(after)) && !(before == '\r' && after == '\n');
}

std::vector<std::string> Graphemes::split(std::string_view text) {
    const std::string clean = Utf8::sanitized(text);
    const auto cuts = boundaries(clean);
    std::vector<std::string> result;
    result.reserve(cuts.size());
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
        result.emplace_back(clean.substr(cuts[i], cuts[i + 1] - cuts[i]));
    }
    return result;
}

std::size_t Graphemes::count(std::string_view text) {
    if (text.empty()) {
        return 0;
    }
    const std::string clean = Utf8::sanitized(text);
    return boundaries(clean).size() - 1;
}

std::string Graphemes::last(std::string_view text, std::size_t n) {
    const std::string clean = Utf8::sanitized(text);
    if (clean.empty() || n == 0) {
        return {};
    }
    const auto cuts = boundaries(clean);
    const std::size_t characters = cuts.size() - 1;
    if (n >= characters) {
        return clean;
    }
    return clean.substr(cuts[characters - n]);
}

std::string Graphemes::droppingLast(std::string_view text, std::size_t n) {
    const std::string clean = Utf8::sanitized(text);
    if (clean.empty() || n == 0) {
        return clean;
    }
    const auto cuts = boundaries(clean);
    const std::size_t characters = cuts.size() - 1;
    if (n >= characters) {
        return {};
    }
    return clean.substr(0, cuts[characters - n]);
}

std::string Graphemes::lastCharacter(std::string_view text) {
    return last(text, 1);
}

bool Graphemes::hasSuffix(std::string_view text, std::string_view suffix) {
    if (suffix.empty()) {
        return true;
    }
    if (suffix.size() > text.size() || text.substr(text.size() - suffix.size()) != suffix) {
        return false;
    }
    // The suffix must start on a character boundary of the text, not inside a cluster.
    const std::string clean = Utf8::sanitized(text);
    if (clean.size() != text.size()) {
        return false;
    }
    const auto cuts = boundaries(clean);
    const std::size_t start = text.size() - suffix.size();
    for (const std::size_t cut : cuts) {
        if (cut == start) {
            return true;
        }
    }
    return false;
}

void Graphemes::forEach(std::string_view text,
                        const std::function<void(const std::string&)>& visit) {
    constexpr std::size_t kPieceBytes = 64 * 1024;
    // The last character of a piece may go on in the next one: it is carried over.
    std::string carried;
    std::size_t position = 0;
    while (position < text.size()) {
        std::size_t end = std::min(text.size(), position + kPieceBytes);
        while (end < text.size() && end > position &&
               (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
            --end;
        }
        if (end == position) {
            end = std::min(text.size(), position + kPieceBytes);
        }
        const std::string piece =
            Utf8::sanitized(carried + std::string(text.substr(position, end - position)));
        position = end;
        const auto cuts = boundaries(piece);
        const std::size_t characters = cuts.size() - 1;
        const bool more = position < text.size();
        const std::size_t visible = more && characters > 0 ? characters - 1 : characters;
        for (std::size_t i = 0; i < visible; ++i) {
            visit(piece.substr(cuts[i], cuts[i + 1] - cuts[i]));
        }
        carried = visible < characters ? piece.substr(cuts[visible]) : std::string();
    }
}

}  // namespace plovik::text
