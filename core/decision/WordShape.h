#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace plovik {

// What the extended engine sees in the shape of a run of keys before it reads any word list:
// scripts, capitals, and the characters that may stand around a word. Whole scalars, no
// grapheme clusters: the keys type one scalar each.
class WordShape {
  public:
    using TextView = std::u32string_view;

    // Latin up to U+024F, Cyrillic U+0400–U+052F.
    enum class Script { none, latin, cyrillic, other };

    // `none` for anything but a letter.
    static Script scriptOf(char32_t c);
    // The script of the first letter.
    static Script scriptOf(TextView word);
    static bool mixesScripts(TextView word);

    static bool isUppercaseLetter(char32_t c);
    // Every character an upper-case letter (none: true).
    static bool isAllCapitals(TextView word);
    // Two letters or more, all of them capitals; other characters do not count.
    static bool isWordInCapitals(TextView run);
    // One capital, then small letters only.
    static bool isCapitalised(TextView word);
    // A word of letters alone with a capital after a small letter (kB, iOS); keys that type
    // punctuation in the other layout (fF,<uU) do not count.
    static bool hasInnerCapital(TextView word);
    // Letters, hyphens and apostrophes only.
    static bool isLettersOnly(TextView word);
    // A word of one letter in the language ("en", "ru", "uk"): I, a; в, и; і, з.
    static bool isOneLetterWord(char32_t c, const std::optional<std::string>& language);

    // Characters that may stand before or after a word without being part of it.
    static bool opensWord(char32_t c);
    static bool closesWord(char32_t c);
    static bool isBracket(char32_t c);
    static bool hasDigit(TextView text);
    // Neither letter, digit nor space, and beyond ASCII (« — …): no key of the layouts types
    // it, so it reaches the token but not the keys' reading in the other layout.
    static bool isKeyless(char32_t c);

    // From the first letter to the last: what addresses and paths are recognised by, without
    // the keys at either end that may be letters in the other layout. Empty without letters.
    static TextView lettersSpan(TextView text);
};

}  // namespace plovik
