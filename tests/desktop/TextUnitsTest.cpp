#include <gtest/gtest.h>

#include "platform/atspi/TextUnits.h"

namespace plovik {
namespace {

TEST(TextUnitConversion, ToolkitsCountTheirOwnWay) {
    EXPECT_EQ(TextUnitConversion::forToolkit("gtk"), TextUnits::codePoints);
    EXPECT_EQ(TextUnitConversion::forToolkit("GAIL"), TextUnits::codePoints);
    EXPECT_EQ(TextUnitConversion::forToolkit("Qt"), TextUnits::utf16);
    EXPECT_EQ(TextUnitConversion::forToolkit("QT5"), TextUnits::utf16);
    EXPECT_EQ(TextUnitConversion::forToolkit("Gecko"), TextUnits::utf16);
    EXPECT_EQ(TextUnitConversion::forToolkit(""), TextUnits::codePoints);
}

TEST(TextUnitConversion, AstralCharactersTakeTwoUtf16UnitsAndOneCodePoint) {
    const std::string text = "a😀б🎉";  // code points 0..4, UTF-16 units 0..6
    struct Case {
        long codePoint;
        long utf16;
    };
    for (const auto [codePoint, utf16] :
         {Case{0, 0}, Case{1, 1}, Case{2, 3}, Case{3, 4}, Case{4, 6}}) {
        EXPECT_EQ(TextUnitConversion::toToolkit(text, codePoint, TextUnits::utf16),
                  std::optional(utf16));
        EXPECT_EQ(TextUnitConversion::fromToolkit(text, utf16, TextUnits::utf16),
                  std::optional(codePoint));
        EXPECT_EQ(TextUnitConversion::toToolkit(text, codePoint, TextUnits::codePoints),
                  std::optional(codePoint));
    }
}

TEST(TextUnitConversion, PositionsOutsideTheTextOrInsideAPairHaveNoCounterpart) {
    const std::string text = "a😀";
    EXPECT_EQ(TextUnitConversion::fromToolkit(text, 2, TextUnits::utf16), std::nullopt);
    EXPECT_EQ(TextUnitConversion::fromToolkit(text, 4, TextUnits::utf16), std::nullopt);
    EXPECT_EQ(TextUnitConversion::fromToolkit(text, -1, TextUnits::utf16), std::nullopt);
    EXPECT_EQ(TextUnitConversion::toToolkit(text, 3, TextUnits::utf16), std::nullopt);
    EXPECT_EQ(TextUnitConversion::toToolkit(text, -1, TextUnits::codePoints), std::nullopt);
    EXPECT_EQ(TextUnitConversion::toToolkit("", 0, TextUnits::utf16), std::optional(0L));
}

TEST(TextUnitConversion, InsertLengthIsBytesForGtkAndUnitsForQt) {
    EXPECT_EQ(TextUnitConversion::insertLength("привет 😀", TextUnits::codePoints), 17);
    EXPECT_EQ(TextUnitConversion::insertLength("привет 😀", TextUnits::utf16), 9);
    EXPECT_EQ(TextUnitConversion::codePointCount("привет 😀"), 8);
    EXPECT_EQ(TextUnitConversion::insertLength("", TextUnits::utf16), 0);
}

}  // namespace
}  // namespace plovik
