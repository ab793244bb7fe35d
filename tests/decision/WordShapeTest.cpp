#include <gtest/gtest.h>

#include <string>

#include "core/decision/WordShape.h"

namespace plovik {
namespace {

using Script = WordShape::Script;

TEST(WordShape, ScriptIsTheFirstLettersAndLettersOfTwoScriptsMix) {
    EXPECT_EQ(WordShape::scriptOf(U'ё'), Script::cyrillic);
    EXPECT_EQ(WordShape::scriptOf(U'ß'), Script::latin);
    EXPECT_EQ(WordShape::scriptOf(U'α'), Script::other);
    EXPECT_EQ(WordShape::scriptOf(U'7'), Script::none);
    EXPECT_EQ(WordShape::scriptOf(U"«Привет»"), Script::cyrillic);
    EXPECT_EQ(WordShape::scriptOf(U"12-hello"), Script::latin);
    EXPECT_EQ(WordShape::scriptOf(U"123,."), Script::none);

    EXPECT_TRUE(WordShape::mixesScripts(U"hеllo"));  // a Cyrillic е inside
    EXPECT_FALSE(WordShape::mixesScripts(U"hello-123"));
    EXPECT_FALSE(WordShape::mixesScripts(U"ґанок"));  // Ukrainian letters are Cyrillic
}

TEST(WordShape, CapitalsAreToldApartByWhereTheyStand) {
    EXPECT_TRUE(WordShape::isAllCapitals(U"PDF"));
    EXPECT_FALSE(WordShape::isAllCapitals(U"PDF."));  // every character must be a capital
    EXPECT_TRUE(WordShape::isWordInCapitals(U"«TCP/IP»"));
    EXPECT_FALSE(WordShape::isWordInCapitals(U"A."));  // one letter is no word in capitals
    EXPECT_TRUE(WordShape::isCapitalised(U"Москва"));
    EXPECT_FALSE(WordShape::isCapitalised(U"МОсква"));
    EXPECT_FALSE(WordShape::isCapitalised(U"Я"));
    EXPECT_TRUE(WordShape::hasInnerCapital(U"iOS"));
    EXPECT_TRUE(WordShape::hasInnerCapital(U"kB"));
    // Shifted punctuation keys of the other layout, and capitals after capitals, are not
    // inner capitals.
    EXPECT_FALSE(WordShape::hasInnerCapital(U"f,F"));
    EXPECT_FALSE(WordShape::hasInnerCapital(U"HTTP"));
    EXPECT_FALSE(WordShape::hasInnerCapital(U"Hello"));
}

TEST(WordShape, OneLetterWordsAreTheLanguagesOwn) {
    EXPECT_TRUE(WordShape::isOneLetterWord(U'I', "en"));
    EXPECT_FALSE(WordShape::isOneLetterWord(U'i', "en"));
    EXPECT_TRUE(WordShape::isOneLetterWord(U'в', "ru"));
    EXPECT_FALSE(WordShape::isOneLetterWord(U'і', "ru"));
    EXPECT_TRUE(WordShape::isOneLetterWord(U'і', "uk"));
    EXPECT_FALSE(WordShape::isOneLetterWord(U'a', std::nullopt));
    EXPECT_FALSE(WordShape::isOneLetterWord(U'a', "de"));
}

TEST(WordShape, CharactersAroundAWordAndCharactersNoKeyTypes) {
    for (const char32_t c : std::u32string(U"([{\"'«„“‘¿¡-")) {
        EXPECT_TRUE(WordShape::opensWord(c)) << static_cast<int>(c);
    }
    for (const char32_t c : std::u32string(U")]}\"'»”’.,;:!?…")) {
        EXPECT_TRUE(WordShape::closesWord(c)) << static_cast<int>(c);
    }
    EXPECT_FALSE(WordShape::opensWord(U'.'));
    EXPECT_FALSE(WordShape::closesWord(U'('));
    EXPECT_FALSE(WordShape::closesWord(U'б'));
    EXPECT_TRUE(WordShape::isBracket(U'{'));
    EXPECT_FALSE(WordShape::isBracket(U'('));

    EXPECT_TRUE(WordShape::isKeyless(U'«'));
    EXPECT_TRUE(WordShape::isKeyless(U'—'));
    EXPECT_FALSE(WordShape::isKeyless(U','));  // ASCII: a key types it
    EXPECT_FALSE(WordShape::isKeyless(U'ж'));
    EXPECT_FALSE(WordShape::isKeyless(U'²'));       // a number
    EXPECT_FALSE(WordShape::isKeyless(U'\u00A0'));  // a space
}

TEST(WordShape, LettersAloneAndTheSpanFromFirstToLastLetter) {
    EXPECT_TRUE(WordShape::isLettersOnly(U"rock'n'roll"));
    EXPECT_TRUE(WordShape::isLettersOnly(U"из-за"));
    EXPECT_FALSE(WordShape::isLettersOnly(U"a.b"));
    EXPECT_TRUE(WordShape::hasDigit(U"libc6"));
    EXPECT_FALSE(WordShape::hasDigit(U"libc"));

    EXPECT_EQ(WordShape::lettersSpan(U"\"user@example.com\","), U"user@example.com");
    EXPECT_EQ(WordShape::lettersSpan(U"~/bin/"), U"bin");
    EXPECT_EQ(WordShape::lettersSpan(U"1,2.3"), U"");
}

}  // namespace
}  // namespace plovik
