#include <gtest/gtest.h>

#include "core/text/CharacterClass.h"

namespace plovik::text {
namespace {

TEST(CharacterClass, WhitespaceIncludesUnicodeSpacesAndCrLf) {
    for (const char* space : {" ", "\t", "\n", "\r", "\r\n", "\u00A0", "\u2003", "\u3000"}) {
        EXPECT_TRUE(CharacterClass::isWhitespace(space)) << space;
    }
    EXPECT_FALSE(CharacterClass::isWhitespace("a"));
    EXPECT_FALSE(CharacterClass::isWhitespace(""));
    EXPECT_FALSE(CharacterClass::isWhitespace("\u200B"));  // zero width space is Cf
}

TEST(CharacterClass, PunctuationIsTheSevenCategoriesOnly) {
    for (const char* mark : {",", ".", ";", ":",  "'", "\"", "[", "}", "(", "-", "_",
                             "!", "?", "/", "\\", "#", "%",  "&", "*", "«", "—", "¿"}) {
        EXPECT_TRUE(CharacterClass::isPunctuation(mark)) << mark;
    }
    for (const char* symbol : {"`", "~", "^", "$", "+", "=", "<", ">", "|", "a", "1", " "}) {
        EXPECT_FALSE(CharacterClass::isPunctuation(symbol)) << symbol;
    }
}

TEST(CharacterClass, LettersNumbersCaseAndAscii) {
    EXPECT_TRUE(CharacterClass::isLetter("ж"));
    EXPECT_TRUE(CharacterClass::isLetter("e\u0301"));
    EXPECT_FALSE(CharacterClass::isLetter("\u0301"));
    EXPECT_TRUE(CharacterClass::isNumber("7"));
    EXPECT_TRUE(CharacterClass::isNumber("\u0663"));  // Arabic-Indic three
    EXPECT_TRUE(CharacterClass::isUppercase("Ж"));
    EXPECT_TRUE(CharacterClass::isLowercase("ж"));
    EXPECT_TRUE(CharacterClass::isAscii("plain ~text"));
    EXPECT_FALSE(CharacterClass::isAscii("café"));
}

TEST(CharacterClass, ControlNeedsEveryScalarToBeCcOrCf) {
    EXPECT_TRUE(CharacterClass::isControl(std::string("\0", 1)));
    EXPECT_TRUE(CharacterClass::isControl("\x1B"));
    EXPECT_TRUE(CharacterClass::isControl("\u200D"));
    EXPECT_TRUE(CharacterClass::isControl("\r\n"));
    EXPECT_FALSE(CharacterClass::isControl("a\u200D"));
    EXPECT_FALSE(CharacterClass::isControl(""));
}

}  // namespace
}  // namespace plovik::text
