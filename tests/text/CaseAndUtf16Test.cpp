#include <gtest/gtest.h>

#include "core/text/CaseMapping.h"
#include "core/text/Utf16.h"

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

TEST(Utf16, LengthsAndRangesInCodeUnits) {
    const std::string text = "a\U0001F600bц";  // the emoji takes two units
    EXPECT_EQ(Utf16::length(text), 5u);
    EXPECT_EQ(Utf16::length(""), 0u);
    EXPECT_EQ(Utf16::substring(text, 1, 2), "\U0001F600");
    EXPECT_EQ(Utf16::substring(text, 3, 2), "bц");
    EXPECT_EQ(Utf16::substring(text, 5, 0), "");
    EXPECT_EQ(Utf16::substring(text, 2, 1), std::nullopt);  // half a surrogate pair
    EXPECT_EQ(Utf16::substring(text, 4, 2), std::nullopt);  // past the end
    EXPECT_EQ(Utf16::substring(text, SIZE_MAX, 2), std::nullopt);
    EXPECT_EQ(Utf16::byteOffset(text, 3), 5u);
}

TEST(Utf16, MalformedBytesCountAsOneUnitEach) {
    EXPECT_EQ(Utf16::length("x\xC3"), 2u);
    EXPECT_EQ(Utf16::substring("x\xC3", 1, 1), "\uFFFD");
    // Offsets are into the text as given, whose bad sequences are shorter than U+FFFD.
    const std::string damaged =
        "\xFF"
        "a\xE2\x82"
        "b";
    EXPECT_EQ(Utf16::length(damaged), 4u);
    EXPECT_EQ(Utf16::byteOffset(damaged, 1), 1u);
    EXPECT_EQ(Utf16::byteOffset(damaged, 3), 4u);
    EXPECT_EQ(Utf16::byteOffset(damaged, 4), damaged.size());
    EXPECT_EQ(Utf16::byteOffset(damaged, 5), std::nullopt);
}

TEST(Utf16, EncodesAndDecodesSurrogatePairs) {
    const std::string text = "a\U0001F600bц";
    EXPECT_EQ(Utf16::encode(text), u"a\U0001F600bц");
    EXPECT_EQ(Utf16::decode(Utf16::encode(text)), text);
    EXPECT_EQ(Utf16::encode("x\xC3"), u"x\uFFFD");
    // Unpaired halves cannot be encoded in UTF-8.
    EXPECT_EQ(Utf16::decode(std::u16string{u'a', char16_t(0xD83D)}), "a\uFFFD");
    EXPECT_EQ(Utf16::decode(std::u16string{char16_t(0xDE00), u'b'}), "\uFFFDb");
    EXPECT_EQ(Utf16::decode(u""), "");
}

}  // namespace
}  // namespace plovik::text
