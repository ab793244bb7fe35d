#include "core/text/CaseMapping.h"

#include <unicode/locid.h>
#include <unicode/stringoptions.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include "core/text/CharacterClass.h"

namespace plovik::text {

namespace {

icu::UnicodeString fromUtf8(std::string_view text) {
    // fromUTF8 turns malformed sequences into U+FFFD.
    return icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

std::string toUtf8(const icu::UnicodeString& text) {
    std::string result;
    text.toUTF8String(result);
    return result;
}

std::string asciiMapped(std::string_view text, bool upper) {
    std::string result(text);
    for (char& c : result) {
        if (upper && c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        } else if (!upper && c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return result;
}

}  // namespace

std::string CaseMapping::uppercased(std::string_view text) {
    if (CharacterClass::isAscii(text)) {
        return asciiMapped(text, true);
    }
    return toUtf8(fromUtf8(text).toUpper(icu::Locale::getRoot()));
}

std::string CaseMapping::lowercased(std::string_view text) {
    if (CharacterClass::isAscii(text)) {
        return asciiMapped(text, false);
    }
    return toUtf8(fromUtf8(text).toLower(icu::Locale::getRoot()));
}

std::string CaseMapping::folded(std::string_view text) {
    if (CharacterClass::isAscii(text)) {
        return asciiMapped(text, false);
    }
    return toUtf8(fromUtf8(text).foldCase(U_FOLD_CASE_DEFAULT));
}

bool CaseMapping::equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a == b) {
        return true;
    }
    return folded(a) == folded(b);
}

}  // namespace plovik::text
