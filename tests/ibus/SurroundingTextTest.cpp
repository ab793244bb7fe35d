#include <gtest/gtest.h>

#include "framework/ibus/logic/KeysInFlight.h"
#include "framework/ibus/logic/SurroundingText.h"

namespace plovik::ibus {
namespace {

TEST(SurroundingTextTest, OffsetsInBytesOrCharactersBecomeCodePoints) {
    // GNOME Shell 43 gives Wayland clients' offsets in bytes, X11 modules characters.
    EXPECT_EQ(SurroundingText::fromClient("привет ok", 13, 13, OffsetUnits::bytes)->cursor, 7u);
    EXPECT_EQ(SurroundingText::fromClient("привет ok", 7, 7, OffsetUnits::characters)->cursor, 7u);
    EXPECT_EQ(SurroundingText::fromClient("привет", 12, 4, OffsetUnits::bytes)->anchor, 2u);
    EXPECT_FALSE(SurroundingText::fromClient("привет", 3, 3, OffsetUnits::bytes))
        << "inside a character";
    EXPECT_FALSE(SurroundingText::fromClient("ok", 3, 3, OffsetUnits::characters));
    EXPECT_FALSE(SurroundingText::fromClient("\xff", 0, 0, OffsetUnits::bytes));
    EXPECT_EQ(SurroundingText::fromClient("при|вет", 6, 6, OffsetUnits::bytes)->beforeCursor(),
              "при");
}

TEST(SurroundingTextTest, TheOffsetsShowTheirUnitWhenOnlyOneReadingFits) {
    EXPECT_EQ(SurroundingText::unitsShownBy("привет", 12), OffsetUnits::bytes);
    EXPECT_EQ(SurroundingText::unitsShownBy("привет", 3), OffsetUnits::characters);
    EXPECT_EQ(SurroundingText::unitsShownBy("привет", 4), std::nullopt);
    EXPECT_EQ(SurroundingText::unitsShownBy("hello", 5), std::nullopt);
}

TEST(SurroundingTextTest, OnlyMaskMarksMakeAMaskedText) {
    const auto masked = [](const char* text) { return SurroundingText{text, 0, 0}.isMasked(); };
    EXPECT_TRUE(masked("\u25CF\u25CF\u25CF"));
    EXPECT_TRUE(masked("\u2022*"));
    EXPECT_FALSE(masked(""));
    EXPECT_FALSE(masked("\u25CF a"));
    EXPECT_FALSE(masked("●●x"));
}

TEST(SurroundingTextTest, CodePointsAreCountedAndCutWhole) {
    EXPECT_EQ(codePointCount("привет"), 6u);
    EXPECT_EQ(withoutLastCodePoints("привет ", 2), "приве");
    EXPECT_EQ(withoutLastCodePoints("ok", 5), "");
    EXPECT_TRUE(endIsAscii("привет ok ", 3));
    EXPECT_FALSE(endIsAscii("привет ", 2));
}

TEST(KeysInFlightTest, AReportAccountsForTheKeysItShowsAndOnlyThose) {
    KeysInFlight keys;
    keys.typed("g");
    keys.typed("h");
    keys.erased();
    keys.typed("b");
    EXPECT_EQ(keys.ahead("ok "), "ok gb");
    keys.reported("ok ", "ok g");
    EXPECT_EQ(keys.ahead("ok g"), "ok gb") << "h, Backspace and b are still on their way";
    keys.reported("ok g", "ok gh");
    keys.reported("ok gh", "ok gh");
    EXPECT_EQ(keys.ahead("ok gh"), "ok gb") << "a report that changed nothing takes none";
    keys.reported("ok gh", "ok gb");
    EXPECT_TRUE(keys.empty());
}

TEST(KeysInFlightTest, AChangeTheKeysDoNotExplainStartsAfresh) {
    KeysInFlight keys;
    keys.typed("a");
    keys.reported("", "pasted");
    EXPECT_TRUE(keys.empty());
    keys.typed("b");
    keys.unforeseeable();
    EXPECT_FALSE(keys.empty());
    keys.reported("pasted", "pastedb");
    EXPECT_TRUE(keys.empty()) << "after a caret movement the client's word is taken as it is";
}

}  // namespace
}  // namespace plovik::ibus
