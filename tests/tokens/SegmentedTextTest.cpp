#include <gtest/gtest.h>

#include <string>

#include "core/text/Graphemes.h"
#include "core/tokens/SegmentedText.h"

namespace plovik {
namespace {

TEST(SegmentedText, AppendingMergesCharactersAcrossTheJoin) {
    SegmentedText text;
    text.append("ab");
    text.append("e");
    text.append("\u0301\u0301");  // combining accents join the e before them
    text.append("\r");
    text.append("\n");  // and a line feed joins the carriage return
    EXPECT_EQ(text.text(), "abe\u0301\u0301\r\n");
    EXPECT_EQ(text.count(), 4u);
    EXPECT_EQ(text.count(), text::Graphemes::count(text.text()));
    text.append("🇺");
    text.append("🇸🇪");  // regional indicators pair from the left
    EXPECT_EQ(text.count(), text::Graphemes::count(text.text()));
    text.dropLast(1);
    EXPECT_EQ(text.text(), "abe\u0301\u0301\r\n🇺🇸");
    text.dropLast(2);
    EXPECT_EQ(text.text(), "abe\u0301\u0301");
    text.dropLast(10);
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(text.count(), 0u);
    text.append("a\xff");
    EXPECT_EQ(text.text(), "a\uFFFD") << "malformed bytes are stored as U+FFFD";
}

TEST(SegmentedText, KeepsTheLastCharactersAndMatchesSuffixesOnBoundaries) {
    SegmentedText text;
    text.append("приве");
    text.append("e\u0301 ok");
    text.keepLast(4);
    EXPECT_EQ(text.text(), "e\u0301 ok");
    text.keepLast(10);
    EXPECT_EQ(text.count(), 4u);
    EXPECT_TRUE(text.endsWith(" ok"));
    EXPECT_TRUE(text.endsWith(""));
    EXPECT_TRUE(text.endsWith("e\u0301 ok"));
    EXPECT_FALSE(text.endsWith("\u0301 ok")) << "inside a character";
    EXPECT_FALSE(text.endsWith("x ok"));
    EXPECT_FALSE(text.endsWith("longer than e\u0301 ok"));
    text.append("!");
    EXPECT_TRUE(text.endsWith("k!"));
    text.keepLast(0);
    EXPECT_EQ(text.text(), "");
}

}  // namespace
}  // namespace plovik
