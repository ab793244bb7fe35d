#include <gtest/gtest.h>

#include "core/text/Graphemes.h"
#include "core/text/Utf8.h"

namespace plovik::text {
namespace {

const std::string kFamily = "\U0001F468\u200D\U0001F469\u200D\U0001F467";  // ZWJ sequence
const std::string kWaveDark = "\U0001F44B\U0001F3FF";                      // skin tone
const std::string kEAcute = "e\u0301";                                     // combining accent

TEST(Graphemes, CountsUserPerceivedCharacters) {
    EXPECT_EQ(Graphemes::count(""), 0u);
    EXPECT_EQ(Graphemes::count("hello"), 5u);
    EXPECT_EQ(Graphemes::count("привет"), 6u);
    EXPECT_EQ(Graphemes::count(kEAcute + "t" + kEAcute), 3u);
    EXPECT_EQ(Graphemes::count(kFamily), 1u);
    EXPECT_EQ(Graphemes::count(kWaveDark + "a"), 2u);
    EXPECT_EQ(Graphemes::count("a\r\nb"), 3u);
    EXPECT_EQ(Graphemes::count("\r\r\n"), 2u);
    EXPECT_EQ(Graphemes::count(std::string("a\0b", 3)), 3u);
    EXPECT_EQ(Graphemes::count("\U0001F1F7\U0001F1FA\U0001F1FA\U0001F1F8"), 2u);  // two flags
}

TEST(Graphemes, SplitsKeepingClustersWhole) {
    const auto parts = Graphemes::split("я" + kFamily + "\r\n" + kEAcute);
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[0], "я");
    EXPECT_EQ(parts[1], kFamily);
    EXPECT_EQ(parts[2], "\r\n");
    EXPECT_EQ(parts[3], kEAcute);
}

TEST(Graphemes, TakesAndDropsFromTheEnd) {
    const std::string text = "ab" + kWaveDark + kEAcute;
    EXPECT_EQ(Graphemes::last(text, 2), kWaveDark + kEAcute);
    EXPECT_EQ(Graphemes::last(text, 10), text);
    EXPECT_EQ(Graphemes::last(text, 0), "");
    EXPECT_EQ(Graphemes::droppingLast(text), "ab" + kWaveDark);
    EXPECT_EQ(Graphemes::droppingLast(text, 3), "a");
    EXPECT_EQ(Graphemes::droppingLast(text, 4), "");
    EXPECT_EQ(Graphemes::droppingLast(text, 9), "");
    EXPECT_EQ(Graphemes::droppingLast("", 1), "");
    EXPECT_EQ(Graphemes::lastCharacter("x\r\n"), "\r\n");
}

TEST(Graphemes, SuffixMustStartOnACharacterBoundary) {
    EXPECT_TRUE(Graphemes::hasSuffix("abc", "bc"));
    EXPECT_TRUE(Graphemes::hasSuffix("abc", ""));
    EXPECT_FALSE(Graphemes::hasSuffix("b" + kEAcute, "\u0301"));
    EXPECT_FALSE(Graphemes::hasSuffix("x\r\n", "\n"));
    EXPECT_FALSE(Graphemes::hasSuffix("bc", "abc"));
}

TEST(Graphemes, TellsWhereABoundaryFallsWhateverSurroundsIt) {
    EXPECT_TRUE(Graphemes::alwaysBreaksBetween(U' ', U'\u0444'));
    EXPECT_TRUE(Graphemes::alwaysBreaksBetween(U'\u00AB', U'a'));
    EXPECT_TRUE(Graphemes::alwaysBreaksBetween(U'\n', U'x'));
    // A mark joins what precedes it, CR LF is one character, and a joiner or a flag letter
    // depends on more than its neighbour.
    EXPECT_FALSE(Graphemes::alwaysBreaksBetween(U' ', U'\u0301'));
    EXPECT_FALSE(Graphemes::alwaysBreaksBetween(U'\r', U'\n'));
    EXPECT_FALSE(Graphemes::alwaysBreaksBetween(U'\u200D', U'\U0001F600'));
    EXPECT_FALSE(Graphemes::alwaysBreaksBetween(U'\U0001F1FA', U'\U0001F1F8'));
}

TEST(Graphemes, MalformedInputReadsAsReplacementCharacters) {
    const std::string loneSurrogate = "a\xED\xA0\x80z";  // UTF-8 encoded U+D800
    const std::string truncated = "b\xD0";               // half of a Cyrillic letter
    EXPECT_EQ(Graphemes::count(loneSurrogate), 5u);      // a, three U+FFFD, z
    EXPECT_EQ(Graphemes::last(truncated, 1), "\uFFFD");
    EXPECT_EQ(Utf8::sanitized("\xFF"
                              "ok"),
              "\uFFFDok");
    EXPECT_TRUE(Utf8::isValid("привет"));
    EXPECT_FALSE(Utf8::isValid(loneSurrogate));
    EXPECT_EQ(Utf8::firstMalformedOffset(loneSurrogate), 1u);
    EXPECT_EQ(Utf8::firstMalformedOffset("привет"
                                         "\xD0"),
              12u);
    EXPECT_EQ(Utf8::firstMalformedOffset("привет"), std::nullopt);
    EXPECT_EQ(Utf8::firstMalformedOffset(""), std::nullopt);
}

}  // namespace
}  // namespace plovik::text
