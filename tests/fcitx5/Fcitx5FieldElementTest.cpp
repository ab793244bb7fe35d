#include <gtest/gtest.h>

#include "fcitx5/FakeModule.h"
#include "platform/fcitx5/Fcitx5Accessibility.h"
#include "platform/fcitx5/Fcitx5FieldElement.h"
#include "platform/fcitx5/Fcitx5KeyCaptureFactory.h"
#include "platform/fcitx5/Fcitx5KeyInjector.h"

namespace plovik::testing {
namespace {

Fcitx5ModuleClient::Field fieldOf(
    std::string text, std::uint32_t cursor, std::uint32_t anchor,
    std::uint64_t capabilities = Fcitx5FieldElement::kSurroundingText) {
    return {module::Focus{5, true, capabilities, "", "wayland_v2"},
            module::Surrounding{5, true, std::move(text), cursor, anchor}};
}

// Edits go to a fake module, which takes those that replace exactly "ghbdtn ".
class Fcitx5FieldTest : public ::testing::Test {
  protected:
    Fcitx5FieldTest() : client_(fake_.path()) {
        fake_.respond([](const ModuleMessage& message) -> std::vector<ModuleMessage> {
            if (const auto* edit = std::get_if<module::Edit>(&message)) {
                return {module::EditDone{edit->request, edit->before.starts_with("ghbdtn ")
                                                            ? module::EditStatus::done
                                                            : module::EditStatus::textChanged}};
            }
            return {};
        });
        EXPECT_FALSE(client_.connect());
    }
    ~Fcitx5FieldTest() override { client_.close(); }

    FakeModule fake_;
    Fcitx5ModuleClient client_;
};

TEST_F(Fcitx5FieldTest, TheFieldsKindAndTextComeFromWhatTheModuleReports) {
    using Role = AccessibilityRole;
    EXPECT_EQ(Fcitx5FieldElement(client_, fieldOf("", 0, 0), 0, 7).role().value,
              Role::singleLineText);
    EXPECT_EQ(Fcitx5FieldElement(client_, fieldOf("", 0, 0, Fcitx5FieldElement::kMultiline), 0, 7)
                  .role()
                  .value,
              Role::multiLineText);
    Fcitx5FieldElement secret(client_, fieldOf("●●●", 3, 3, Fcitx5FieldElement::kSensitive), 0, 7);
    EXPECT_EQ(secret.role().value, Role::passwordText);
    EXPECT_FALSE(secret.value().succeeded()) << "not even the bullets are read";
    EXPECT_FALSE(secret.selectedTextRange().succeeded());

    Fcitx5FieldElement field(client_, fieldOf("😀 при ghbdtn", 12, 12), 0, 7);
    EXPECT_EQ(field.numberOfCharacters().value, 12);
    EXPECT_EQ(field.selectedTextRange().value, (TextRange{12, 0}));
    EXPECT_EQ(field.stringForRange({2, 3}).value, "при") << "offsets count code points";
    EXPECT_FALSE(field.stringForRange({10, 5}).succeeded()) << "past the end";
    EXPECT_EQ(field.processIdentifier().value, 7);

    Fcitx5FieldElement selected(client_, fieldOf("ab cd", 1, 4), 0, std::nullopt);
    EXPECT_EQ(selected.selectedTextRange().value, (TextRange{1, 3}));
    EXPECT_EQ(selected.selectedText().value, "b c");
    EXPECT_FALSE(selected.processIdentifier().succeeded());

    auto unknown = fieldOf("ab", 2, 2);
    unknown.surrounding.valid = false;
    EXPECT_FALSE(Fcitx5FieldElement(client_, unknown, 0, 7).selectedTextRange().succeeded());
}

TEST_F(Fcitx5FieldTest, OnlyTextBeforeTheCaretIsReplacedAndWhatFollowsItStays) {
    Fcitx5FieldElement field(client_, fieldOf("ok ghbdtn x", 11, 11), 42, 7);
    EXPECT_NE(field.setSelectedTextRange({3, 9}), AccessibilityStatus::success)
        << "a range past the caret cannot be reached";
    ASSERT_EQ(field.setSelectedTextRange({3, 7}), AccessibilityStatus::success);
    EXPECT_EQ(field.selectedText().value, "ghbdtn ");
    ASSERT_EQ(field.setSelectedText("привет "), AccessibilityStatus::success);
    const auto edit = fake_.next<module::Edit>();
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->context, 5u);
    EXPECT_EQ(edit->afterSequence, 42u);
    EXPECT_EQ(edit->before, "ghbdtn x") << "from the range to the caret";
    EXPECT_EQ(edit->replacement, "привет x") << "what was typed after the word stays";
    EXPECT_EQ(field.value().value, "ok привет x");
    EXPECT_EQ(field.selectedTextRange().value, (TextRange{11, 0}));

    Fcitx5FieldElement refused(client_, fieldOf("ok vbh ", 7, 7), 42, 7);
    ASSERT_EQ(refused.setSelectedTextRange({3, 4}), AccessibilityStatus::success);
    EXPECT_NE(refused.setSelectedText("мир "), AccessibilityStatus::success);
    EXPECT_EQ(refused.value().value, "ok vbh ") << "a refused edit changes nothing here either";
    EXPECT_EQ(refused.setSelectedTextRange({7, 0}), AccessibilityStatus::success);
    EXPECT_NE(refused.setSelectedText("x"), AccessibilityStatus::success)
        << "nothing chosen: nothing to replace";
}

TEST_F(Fcitx5FieldTest, TheFocusedElementIsTheFieldAndTrustMeansAModuleThatAnswers) {
    Fcitx5Accessibility accessibility(client_, [] { return std::optional<std::int32_t>(9); });
    EXPECT_TRUE(accessibility.isProcessTrusted());
    EXPECT_FALSE(accessibility.systemWideFocusedElement().succeeded()) << "no field yet";
    fake_.say(module::Press{3, evdevCode(Key::a), 0, "a", false, false});
    fake_.say(module::Focus{5, true, Fcitx5FieldElement::kSurroundingText, "", "dbus"});
    fake_.say(module::Surrounding{5, true, "ghbdtn ", 7, 7});
    ASSERT_TRUE(client_.sync());
    const auto element = accessibility.systemWideFocusedElement().valueIfPresent();
    ASSERT_TRUE(element);
    EXPECT_EQ((*element)->processIdentifier().value, 9);
    ASSERT_EQ((*element)->setSelectedTextRange({0, 7}), AccessibilityStatus::success);
    ASSERT_EQ((*element)->setSelectedText("привет "), AccessibilityStatus::success);
    EXPECT_EQ(fake_.next<module::Edit>()->afterSequence, 3u)
        << "no key may go on after the last one Plovik saw";
}

// An application reports its text a moment after each key: the element reads the field as
// the module describes it now, so that a correction can wait for the word's delimiter;
// after its own edit it shows the edit, which the application reports later; and another
// field (a new focus) is not this one.
TEST_F(Fcitx5FieldTest, TheElementFollowsTheModulesReportsOfItsFieldUntilItEditsIt) {
    Fcitx5Accessibility accessibility(client_, [] { return std::optional<std::int32_t>(9); });
    fake_.say(module::Focus{5, true, Fcitx5FieldElement::kSurroundingText, "", "dbus"});
    fake_.say(module::Surrounding{5, true, "ghbdtn", 6, 6});
    ASSERT_TRUE(client_.sync());
    const auto element = accessibility.systemWideFocusedElement().valueIfPresent();
    ASSERT_TRUE(element);
    EXPECT_EQ((*element)->value().value, "ghbdtn");

    fake_.say(module::Surrounding{5, true, "ghbdtn ", 7, 7});
    ASSERT_TRUE(client_.sync());
    EXPECT_EQ((*element)->value().value, "ghbdtn ") << "the space reported late is seen";
    ASSERT_EQ((*element)->setSelectedTextRange({0, 7}), AccessibilityStatus::success);
    ASSERT_EQ((*element)->setSelectedText("привет "), AccessibilityStatus::success);
    EXPECT_EQ((*element)->value().value, "привет ") << "the edit shows before the report";

    fake_.say(module::Focus{6, true, Fcitx5FieldElement::kSurroundingText, "", "dbus"});
    fake_.say(module::Surrounding{6, true, "other", 5, 5});
    ASSERT_TRUE(client_.sync());
    EXPECT_EQ((*element)->value().value, "привет ");
    const auto before = accessibility.systemWideFocusedElement().valueIfPresent();
    ASSERT_TRUE(before);
    fake_.say(module::Focus{7, true, Fcitx5FieldElement::kSurroundingText, "", "dbus"});
    fake_.say(module::Surrounding{7, true, "third", 5, 5});
    ASSERT_TRUE(client_.sync());
    EXPECT_EQ((*before)->value().value, "other") << "a field of another focus is not this one";
}

TEST_F(Fcitx5FieldTest, BackspacesAndTextBecomeOneEditOfTheCharactersTheyWouldErase) {
    TestLoop loop;
    Fcitx5KeyCaptureFactory taps(loop.queue(), client_);
    Fcitx5KeyInjector poster(client_, taps, loop.queue());
    EXPECT_FALSE(poster.createKeyEvent(Key::left, true)) << "arrows would need the keyboard";
    // "е" and a combining accent are one character for a backspace.
    fake_.say(module::Focus{5, true, Fcitx5FieldElement::kSurroundingText, "", "dbus"});
    fake_.say(module::Surrounding{5, true, "ghbdtn е\xcc\x81", 9, 9});
    ASSERT_TRUE(client_.sync());
    for (int i = 0; i < 2; ++i) {
        poster.post(*poster.createKeyEvent(Key::backspace, true));
        poster.post(*poster.createKeyEvent(Key::backspace, false));
    }
    auto typing = *poster.createKeyEvent(Fcitx5KeyInjector::kTypingKey, true);
    typing.text = "ё";
    poster.post(typing);
    const auto edit = fake_.next<module::Edit>();
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->before, " е\xcc\x81");
    EXPECT_EQ(edit->replacement, "ё");
    loop.runFor(20ms);
    EXPECT_FALSE(fake_.next<module::Edit>(100ms)) << "the backspaces went into that one edit";

    poster.post(*poster.createKeyEvent(Key::enter, true));
    const auto posted = fake_.next<module::PostKey>();
    ASSERT_TRUE(posted);
    EXPECT_EQ(posted->key, evdevCode(Key::enter));
    EXPECT_EQ(posted->forSequence, 0u) << "no Return was withheld";
}

}  // namespace
}  // namespace plovik::testing
