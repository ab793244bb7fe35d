#include <gtest/gtest.h>

#include <vector>

#include "replacement/ReplacementFixture.h"
#include "tests/support/KeyEvents.h"

namespace plovik {
namespace {

using testing::ReplacementFixture;

TEST(SyntheticKeyboardService, PostsOwnKeyPressWithExactlyTheGivenModifiers) {
    ReplacementFixture fixture;
    auto field = fixture.field("one", AccessibilityRole::multiLineText);
    // A held modifier must not leak into the re-posted key.
    fixture.desktop.eventPoster().setHeldModifiers(testing::kSuper);
    EXPECT_TRUE(fixture.keyboard.postKeyStroke(Key::enter, testing::kShift));
    const std::vector<SyntheticKeyEvent> expected = {
        {Key::enter, true, testing::kShift, std::nullopt},
        {Key::enter, false, testing::kShift, std::nullopt},
    };
    EXPECT_EQ(fixture.posted(), expected);
    ASSERT_EQ(fixture.tapped.size(), 1u);
    EXPECT_TRUE(fixture.tapped[0].isOwnEvent);
    EXPECT_EQ(field->text(), "one\n");
}

TEST(SyntheticKeyboardService, PostsNothingOfAKeyPressThatCannotBeCreatedWhole) {
    for (const std::size_t budget : {0u, 1u}) {
        ReplacementFixture fixture;
        fixture.desktop.eventPoster().setEventCreationBudget(budget);
        EXPECT_FALSE(fixture.keyboard.postKeyStroke(Key::enter, {}));
        EXPECT_TRUE(fixture.posted().empty());
    }
}

TEST(SyntheticKeyboardService, ErasesThenTypesTheWholeReplacementInOneKeyPress) {
    ReplacementFixture fixture;
    auto field = fixture.field("a 😀x, ");
    fixture.desktop.eventPoster().setHeldModifiers(testing::kShift);
    EXPECT_TRUE(fixture.keyboard.replace({"😀x", "привет 👋", ", ", "; "}));
    const auto& posted = fixture.posted();
    ASSERT_EQ(posted.size(), 10u);
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(posted[i], (SyntheticKeyEvent{Key::backspace, i % 2 == 0, {}, std::nullopt}));
    }
    // The typing press keeps the held modifiers; the text decides what is typed.
    EXPECT_EQ(posted[8], (SyntheticKeyEvent{SyntheticKeyboardService::kTypingKey, true,
                                            testing::kShift, std::string("привет 👋; ")}));
    EXPECT_EQ(posted[9], (SyntheticKeyEvent{SyntheticKeyboardService::kTypingKey, false,
                                            testing::kShift, std::string("привет 👋; ")}));
    EXPECT_EQ(field->text(), "a привет 👋; ");
}

// Backspaces sent for a word whose replacement cannot be typed would only erase it.
TEST(SyntheticKeyboardService, ErasesNothingWhenTheReplacementCannotBeTyped) {
    ReplacementFixture fixture;
    auto field = fixture.field("a ghbdtn ");
    fixture.desktop.eventPoster().setUntypableCharacter("т");
    EXPECT_FALSE(fixture.keyboard.replace({"ghbdtn", "привет", " "}));
    EXPECT_TRUE(fixture.posted().empty());
    EXPECT_EQ(field->text(), "a ghbdtn ");
    EXPECT_TRUE(fixture.keyboard.replace({"a", "ф", " "})) << "other text still goes";
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
