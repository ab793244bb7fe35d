#include "core/replacement/LastConversion.h"

#include <utility>

#include "core/text/CharacterClass.h"
#include "core/text/Graphemes.h"

namespace plovik {

namespace {

// The text and the whitespace that ends it.
std::pair<std::string, std::string> withoutTrailingWhitespace(std::string_view text) {
    const auto characters = text::Graphemes::split(text);
    std::size_t end = characters.size();
    while (end > 0 && text::CharacterClass::isWhitespace(characters[end - 1])) {
        --end;
    }
    std::pair<std::string, std::string> parts;
    for (std::size_t index = 0; index < characters.size(); ++index) {
        (index < end ? parts.first : parts.second) += characters[index];
    }
    return parts;
}

}  // namespace

std::string LastConversion::excerpt(std::string_view text) {
    constexpr std::size_t kLongest = 40;
    if (text.size() <= kLongest) {
        return std::string(text);
    }
    const auto characters = text::Graphemes::split(text);
    if (characters.size() <= kLongest) {
        return std::string(text);
    }
    std::string shown;
    for (std::size_t index = 0; index + 1 < kLongest; ++index) {
        shown += characters[index];
    }
    return shown + "…";
}

TextReplacementRequest LastConversion::requestBeforeCaret(std::string_view expected,
                                                          std::string_view replacement) {
    auto [expectedText, expectedDelimiter] = withoutTrailingWhitespace(expected);
    auto [replacementText, replacementDelimiter] = withoutTrailingWhitespace(replacement);
    return TextReplacementRequest(std::move(expectedText), std::move(replacementText),
                                  std::move(expectedDelimiter), std::move(replacementDelimiter));
}

}  // namespace plovik
