#include <gtest/gtest.h>

#include "FixtureWindowOnDesktop.h"
#include "platform/atspi/AtspiObject.h"

namespace plovik::testing {
namespace {

using Field = fixture::Field;

using AtspiObjectTest = FixtureWindowOnDesktop;

TEST_P(AtspiObjectTest, ReadsWhatTheFieldHolds) {
    ASSERT_TRUE(window_->setText(Field::single, "ab привет 😀 cd"));
    const auto field = focusOn(Field::single, "Single line");
    ASSERT_TRUE(field);
    EXPECT_EQ(field->text(), std::optional<std::string>("ab привет 😀 cd"));
    EXPECT_EQ(field->characterCount(), std::optional(14L));
    EXPECT_TRUE(field->hasText());
    EXPECT_TRUE(field->hasEditableText());
    EXPECT_EQ(field->textUnits(),
              GetParam() == Toolkit::qt ? TextUnits::utf16 : TextUnits::codePoints);
}

TEST_P(AtspiObjectTest, MovesTheCaretAndSelectsInCodePoints) {
    ASSERT_TRUE(window_->setText(Field::single, "😀😀 abc"));
    const auto field = focusOn(Field::single, "Single line");
    ASSERT_TRUE(field);
    ASSERT_TRUE(field->setCaretOffset(2));
    EXPECT_EQ(field->caretOffset(), std::optional(2L));
    EXPECT_EQ(field->selection(), std::optional(CodePointRange{2, 2}));
    ASSERT_TRUE(field->setSelection({1, 4}));
    EXPECT_EQ(field->selection(), std::optional(CodePointRange{1, 4}));
    ASSERT_TRUE(field->setSelection({3, 6}));
    EXPECT_EQ(field->selection(), std::optional(CodePointRange{3, 6}));
    ASSERT_TRUE(field->setSelection({5, 5}));
    EXPECT_EQ(field->selection(), std::optional(CodePointRange{5, 5}));
}

TEST_P(AtspiObjectTest, ReplacesTextAroundAstralCharactersWithoutCorruptingIt) {
    ASSERT_TRUE(window_->setText(Field::single, "😀 ghbdtn 🎉"));
    const auto field = focusOn(Field::single, "Single line");
    ASSERT_TRUE(field);
    ASSERT_TRUE(field->deleteText({2, 8}));
    EXPECT_EQ(window_->text(Field::single), std::optional<std::string>("😀  🎉"));
    ASSERT_TRUE(field->insertText(2, "привет 😀"));
    EXPECT_EQ(window_->text(Field::single), std::optional<std::string>("😀 привет 😀 🎉"));
    EXPECT_EQ(field->text(), window_->text(Field::single));
}

TEST_P(AtspiObjectTest, EditsTheMultiLineArea) {
    ASSERT_TRUE(window_->setText(Field::multi, "first 😀\nvbh"));
    const auto area = focusOn(Field::multi, "Multi line");
    ASSERT_TRUE(area);
    ASSERT_TRUE(area->deleteText({8, 11}));
    ASSERT_TRUE(area->insertText(8, "мир"));
    EXPECT_EQ(window_->text(Field::multi), std::optional<std::string>("first 😀\nмир"));
}

TEST_P(AtspiObjectTest, TellsEachKindOfFieldAndMarksPasswordsAsSuch) {
    ASSERT_TRUE(window_->setText(Field::password, "s3cret"));
    const auto single = focusOn(Field::single, "Single line");
    ASSERT_TRUE(single);
    EXPECT_EQ(single->textRole(), AccessibilityRole::singleLineText);
    const auto multi = focusOn(Field::multi, "Multi line");
    ASSERT_TRUE(multi);
    EXPECT_EQ(multi->textRole(), AccessibilityRole::multiLineText);
    const auto password = focusOn(Field::password, "Password");
    ASSERT_TRUE(password);
    EXPECT_EQ(password->textRole(), AccessibilityRole::passwordText);
    // Neither toolkit shows the secret, yet both would let it be edited: the kind is the guard.
    EXPECT_NE(password->text(), std::optional<std::string>("s3cret"));
    EXPECT_TRUE(password->hasEditableText());
    const auto frame = password->application().value().children().value().at(0);
    EXPECT_EQ(frame.textRole(), AccessibilityRole::other);
}

TEST_P(AtspiObjectTest, KnowsItsProcessAndToolkit) {
    const auto field = focusOn(Field::single, "Single line");
    ASSERT_TRUE(field);
    EXPECT_EQ(field->processId(), std::optional(window_->pid()));
    const auto toolkit = field->toolkitName();
    ASSERT_TRUE(toolkit);
    EXPECT_EQ(TextUnitConversion::forToolkit(*toolkit),
              GetParam() == Toolkit::qt ? TextUnits::utf16 : TextUnits::codePoints)
        << *toolkit;
}

TEST(AtspiObjectRole, TextIsKnownByRoleOrByBeingEditable) {
    struct Case {
        AtspiRole role;
        std::vector<AtspiStateType> states;
        AccessibilityRole expected;
    };
    const Case cases[] = {
        {ATSPI_ROLE_PASSWORD_TEXT, {ATSPI_STATE_EDITABLE}, AccessibilityRole::passwordText},
        {ATSPI_ROLE_ENTRY, {ATSPI_STATE_SINGLE_LINE}, AccessibilityRole::singleLineText},
        {ATSPI_ROLE_TEXT, {ATSPI_STATE_MULTI_LINE}, AccessibilityRole::multiLineText},
        {ATSPI_ROLE_PARAGRAPH, {}, AccessibilityRole::multiLineText},
        {ATSPI_ROLE_DOCUMENT_WEB, {ATSPI_STATE_EDITABLE}, AccessibilityRole::webDocument},
        // Chromium's editable block.
        {ATSPI_ROLE_SECTION,
         {ATSPI_STATE_EDITABLE, ATSPI_STATE_MULTI_LINE},
         AccessibilityRole::multiLineText},
        {ATSPI_ROLE_SECTION,
         {ATSPI_STATE_EDITABLE, ATSPI_STATE_SINGLE_LINE},
         AccessibilityRole::singleLineText},
        {ATSPI_ROLE_SECTION, {ATSPI_STATE_MULTI_LINE}, AccessibilityRole::other},
        {ATSPI_ROLE_PUSH_BUTTON, {}, AccessibilityRole::other},
    };
    for (const auto& c : cases) {
        AtspiStateSet* states = atspi_state_set_new(nullptr);
        for (const auto state : c.states) {
            atspi_state_set_add(states, state);
        }
        EXPECT_EQ(AtspiObject::textRole(c.role, states), c.expected) << c.role;
        g_object_unref(states);
    }
}

INSTANTIATE_TEST_SUITE_P(Toolkits, AtspiObjectTest, ::testing::Values(Toolkit::gtk, Toolkit::qt),
                         [](const auto& info) { return toolkitName(info.param); });

}  // namespace
}  // namespace plovik::testing
