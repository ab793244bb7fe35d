#include "core/decision/WordShape.h"

#include <algorithm>

#include "core/text/CharacterClass.h"
#include "core/text/Utf8.h"

namespace plovik {

namespace {

bool isLetter(char32_t c) {
    return text::CharacterClass::isLetter(c);
}

std::string utf8(std::u32string_view text) {
    return text::Utf8::encode(std::vector<char32_t>(text.begin(), text.end()));
}

}  // namespace

WordShape::Script WordShape::scriptOf(char32_t c) {
    if (!isLetter(c)) {
        return Script::none;
    }
    if (c < 0x250) {
        return Script::latin;
    }
    return c >= 0x400 && c <= 0x52F ? Script::cyrillic : Script::other;
}

WordShape::Script WordShape::scriptOf(TextView word) {
    for (const char32_t c : word) {
        if (const Script script = scriptOf(c); script != Script::none) {
            return script;
        }
    }
    return Script::none;
}

bool WordShape::mixesScripts(TextView word) {
    Script seen = Script::none;
    for (const char32_t c : word) {
        const Script script = scriptOf(c);
        if (script == Script::none) {
            continue;
        }
        if (seen != Script::none && script != seen) {
            return true;
        }
        seen = script;
    }
    return false;
}

bool WordShape::isKeyless(char32_t c) {
    return c >= 0x80 && !isLetter(c) && !text::CharacterClass::isNumber(c) &&
           !text::CharacterClass::isWhitespace(c);
}

bool WordShape::isUppercaseLetter(char32_t c) {
    return isLetter(c) && text::CharacterClass::isUppercase(utf8(TextView(&c, 1)));
}

bool WordShape::isAllCapitals(TextView word) {
    return std::all_of(word.begin(), word.end(), isUppercaseLetter);
}

bool WordShape::isOneLetterWord(char32_t c, const std::optional<std::string>& language) {
    static constexpr std::u32string_view kEnglish = U"aAI";
    static constexpr std::u32string_view kRussian = U"авиксоуяАВИКСОУЯ";
    static constexpr std::u32string_view kUkrainian = U"авзійоуяєАВЗІЙОУЯЄ";
    const std::u32string_view words = language == "en"   ? kEnglish
                                      : language == "ru" ? kRussian
                                      : language == "uk" ? kUkrainian
                                                         : std::u32string_view();
    return words.find(c) != std::u32string_view::npos;
}

bool WordShape::opensWord(char32_t c) {
    static constexpr std::u32string_view kOpeners = U"([{\"'«„“‘¿¡-";
    return kOpeners.find(c) != std::u32string_view::npos;
}

bool WordShape::closesWord(char32_t c) {
    static constexpr std::u32string_view kClosers = U")]}\"'»”’.,;:!?…";
    return kClosers.find(c) != std::u32string_view::npos;
}

bool WordShape::isWordInCapitals(TextView run) {
    return std::count_if(run.begin(), run.end(), isLetter) > 1 &&
           std::all_of(run.begin(), run.end(),
                       [](char32_t c) { return !isLetter(c) || isUppercaseLetter(c); });
}

WordShape::TextView WordShape::lettersSpan(TextView text) {
    const auto first = std::find_if(text.begin(), text.end(), isLetter);
    const auto last = std::find_if(text.rbegin(), text.rend(), isLetter).base();
    return first < last ? text.substr(first - text.begin(), last - first) : TextView();
}

bool WordShape::hasInnerCapital(TextView word) {
    if (!std::all_of(word.begin(), word.end(), isLetter)) {
        return false;
    }
    for (std::size_t i = 1; i < word.size(); ++i) {
        if (isUppercaseLetter(word[i]) && isLetter(word[i - 1]) &&
            !isUppercaseLetter(word[i - 1])) {
            return true;
        }
    }
    return false;
}

bool WordShape::isCapitalised(TextView word) {
    return word.size() > 1 && isUppercaseLetter(word[0]) &&
           std::none_of(word.begin() + 1, word.end(), isUppercaseLetter);
}

bool WordShape::isLettersOnly(TextView word) {
    return std::all_of(word.begin(), word.end(), [](char32_t c) {
        return isLetter(c) || c == U'-' || c == U'\'' || c == U'\u2019';
    });
}

bool WordShape::isBracket(char32_t c) {
    return c == U'[' || c == U']' || c == U'{' || c == U'}';
}

bool WordShape::hasDigit(TextView text) {
    return std::any_of(text.begin(), text.end(),
                       [](char32_t c) { return text::CharacterClass::isNumber(c); });
}

}  // namespace plovik
