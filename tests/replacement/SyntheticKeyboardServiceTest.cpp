#include <gtest/gtest.h>

#include <vector>

#include "core/capture/SyntheticEventMarker.h"
#include "replacement/ReplacementFixture.h"

namespace plovik {
namespace {

using testing::ReplacementFixture;

TEST(SyntheticKeyboardService, PostsAMarkedKeyPressWithExactlyTheGivenFlags) {
    ReplacementFixture fixture;
    auto field = fixture.field("one", "AXTextArea");
    // A held modifier must not leak into the re-posted key.
    fixture.desktop.eventPoster().setHeldModifiers(0x100000);
    EXPECT_TRUE(fixture.keyboard.postKeyStroke(36, 0x20000));
    const std::vector<SyntheticKeyEvent> expected = {
        {36, true, 0x20000, kSyntheticEventMarker, std::nullopt},
        {36, false, 0x20000, kSyntheticEventMarker, std::nullopt},
    };
    EXPECT_EQ(fixture.posted(), expected);
    EXPECT_EQ(fixture.desktop.eventPoster().createdSourceCount(), 2);
    ASSERT_EQ(fixture.tapped.size(), 1u);
    EXPECT_EQ(fixture.tapped[0].userData, kSyntheticEventMarker);
    EXPECT_EQ(field->text(), "one\n");
    EXPECT_EQ(SyntheticKeyboardService::generatedEventMarker, 0x504C4F56494B4D);
}

TEST(SyntheticKeyboardService, PostsNothingOfAKeyPressThatCannotBeCreatedWhole) {
    for (const std::size_t budget : {0u, 1u}) {
        ReplacementFixture fixture;
        fixture.desktop.eventPoster().setEventCreationBudget(budget);
        EXPECT_FALSE(fixture.keyboard.postKeyStroke(36, 0));
        EXPECT_TRUE(fixture.posted().empty());
    }
    ReplacementFixture fixture;
    fixture.desktop.eventPoster().setSourceCreationFails(true);
    EXPECT_FALSE(fixture.keyboard.postKeyStroke(36, 0));
    EXPECT_TRUE(fixture.posted().empty());
}

TEST(SyntheticKeyboardService, ErasesThenTypesTheWholeReplacementInOneKeyPress) {
    ReplacementFixture fixture;
    auto field = fixture.field("a 😀x, ");
    fixture.desktop.eventPoster().setHeldModifiers(0x20000);
    EXPECT_TRUE(fixture.keyboard.replace({"😀x", "привет 👋", ", ", "; "}));
    const auto& posted = fixture.posted();
    ASSERT_EQ(posted.size(), 10u);
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(posted[i],
                  (SyntheticKeyEvent{51, i % 2 == 0, 0, kSyntheticEventMarker, std::nullopt}));
    }
    // The typing press keeps the source's flags; the string decides the text.
    EXPECT_EQ(posted[8], (SyntheticKeyEvent{0, true, 0x20000, kSyntheticEventMarker,
                                            std::string("привет 👋; ")}));
    EXPECT_EQ(posted[9], (SyntheticKeyEvent{0, false, 0x20000, kSyntheticEventMarker,
                                            std::string("привет 👋; ")}));
    EXPECT_EQ(field->text(), "a привет 👋; ");
    // Four backspace sources, one typing source.
    EXPECT_EQ(fixture.desktop.eventPoster().createdSourceCount(), 9);
}

TEST(SyntheticKeyboardService, TypesNothingForAnEmptyReplacement) {
    ReplacementFixture fixture;
    auto field = fixture.field("ab ");
    EXPECT_TRUE(fixture.keyboard.replace({"ab", "", " ", ""}));
    EXPECT_EQ(fixture.posted().size(), 6u);
    EXPECT_EQ(field->text(), "");
}

TEST(TextReplacementMethod, UsesItsRawValues) {
    for (const auto method :
         {TextReplacementMethod::accessibility, TextReplacementMethod::syntheticKeyboard}) {
        EXPECT_EQ(textReplacementMethodFromString(toString(method)), method);
    }
    EXPECT_EQ(toString(TextReplacementMethod::syntheticKeyboard), "syntheticKeyboard");
    EXPECT_EQ(textReplacementMethodFromString("Accessibility"), std::nullopt);
    EXPECT_EQ(textReplacementMethodFromString(""), std::nullopt);
}

}  // namespace
}  // namespace plovik
