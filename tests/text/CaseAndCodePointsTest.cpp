#include <gtest/gtest.h>

#include "core/text/CaseMapping.h"
#include "core/text/CodePoints.h"

namespace plovik::text {
namespace {

TEST(CaseMapping, FullUnicodeMapping) {
    EXPECT_EQ(CaseMapping::uppercased("straße"), "STRASSE");
    EXPECT_EQ(CaseMapping::uppercased("ß"), "SS");
    EXPECT_EQ(CaseMapping::uppercased("привет"), "ПРИВЕТ");
    EXPECT_EQ(CaseMapping::lowercased("ПРИВЕТ World"), "привет world");
    EXPECT_EQ(CaseMapping::lowercased("İ"), "i\u0307");
    EXPECT_EQ(CaseMapping::uppercased("ǆ"), "Ǆ");
}

TEST(CaseMapping, CaselessEqualityFoldsLatinAndCyrillic) {
    EXPECT_TRUE(CaseMapping::equalsIgnoringCase("Hello", "hELLO"));
    EXPECT_TRUE(CaseMapping::equalsIgnoringCase("ПрИвЕт", "привет"));
    EXPECT_TRUE(CaseMapping::equalsIgnoringCase("STRASSE", "straße"));
    EXPECT_TRUE(CaseMapping::equalsIgnoringCase("Ёж", "ёЖ"));
    EXPECT_FALSE(CaseMapping::equalsIgnoringCase("ёж", "еж"));
    EXPECT_FALSE(CaseMapping::equalsIgnoringCase("hello", "hell"));
}

TEST(CodePoints, LengthsAndRangesCountCodePointsOutsideTheBasicPlaneToo) {
    const std::string text = "a\U0001F600b\U0001D400ц";  // an emoji and a mathematical A
    EXPECT_EQ(CodePoints::length(text), 5u);
    EXPECT_EQ(CodePoints::length(""), 0u);
    EXPECT_EQ(CodePoints::substring(text, 1, 1), "\U0001F600");
    EXPECT_EQ(CodePoints::substring(text, 2, 3), "b\U0001D400ц");
    EXPECT_EQ(CodePoints::substring(text, 5, 0), "");
    EXPECT_EQ(CodePoints::substring(text, 4, 2), std::nullopt);  // past the end
    EXPECT_EQ(CodePoints::substring(text, SIZE_MAX, 2), std::nullopt);
    EXPECT_EQ(CodePoints::byteOffset(text, 3), 6u);
    EXPECT_EQ(CodePoints::byteOffset(text, 5), text.size());
    EXPECT_EQ(CodePoints::byteOffset(text, 6), std::nullopt);
}

TEST(CodePoints, TheLastCodePointsKeepEveryByteOfEach) {
    const std::string text = "a\U0001F600b\U0001D400ц";
    EXPECT_EQ(CodePoints::last(text, 2), "\U0001D400ц");
    EXPECT_EQ(CodePoints::last(text, 4), "\U0001F600b\U0001D400ц");
    EXPECT_EQ(CodePoints::last(text, 5), text);
    EXPECT_EQ(CodePoints::last(text, 9), text);
    EXPECT_EQ(CodePoints::last(text, 0), "");
    EXPECT_EQ(CodePoints::last("", 3), "");
}

TEST(CodePoints, MalformedBytesCountAsOneCodePointEach) {
    EXPECT_EQ(CodePoints::length("x\xC3"), 2u);
    EXPECT_EQ(CodePoints::substring("x\xC3", 1, 1), "\uFFFD");
    // Offsets are into the text as given, whose bad sequences are shorter than U+FFFD.
    const std::string damaged =
        "\xFF"
        "a\xE2\x82"
        "b";
    EXPECT_EQ(CodePoints::length(damaged), 4u);
    EXPECT_EQ(CodePoints::byteOffset(damaged, 1), 1u);
    EXPECT_EQ(CodePoints::byteOffset(damaged, 3), 4u);
    EXPECT_EQ(CodePoints::byteOffset(damaged, 4), damaged.size());
    EXPECT_EQ(CodePoints::byteOffset(damaged, 5), std::nullopt);
}

}  // namespace
}  // namespace plovik::text
