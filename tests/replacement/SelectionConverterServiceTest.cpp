#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/replacement/SelectionConverterService.h"
#include "core/text/CodePoints.h"
#include "replacement/ReplacementFixture.h"
#include "tests/support/KeyEvents.h"

namespace plovik {
namespace {

using testing::ReplacementFixture;
using FieldText = SelectionConverterService::FieldText;

const std::string kChanged = SelectionConverterService::kChangedMessage;
const std::string kUnavailable = TextReplacementService::kUnavailableElementMessage;

struct SelectionFixture : ReplacementFixture {
    SelectionConverterService converter{focusService, keyboard, guard,
                                        desktop.keyEventTapFactory()};

    // A field holding `text` with `selection` selected.
    SimulatedElementRef selected(const std::string& text, TextRange selection) {
        auto element = field(text, AccessibilityRole::multiLineText);
        EXPECT_TRUE(element->setSelection(selection));
        return element;
    }

    TextReplacementResult replace(const FieldText& read, const std::string& replacement,
                                  bool whileSelected = true) {
        return converter.replace(read, replacement, whileSelected,
                                 desktop.keyEventTapFactory().latestPress());
    }
};

TEST(SelectionConverterService, PutsTheTextInPlaceOfTheSelectionAndSelectsIt) {
    struct Case {
        std::string text;
        TextRange selection;
        std::string selected;
        std::string replacement;
        std::string expected;
    };
    const Case cases[] = {
        {"say Ghbdtn? rfr ltkf& now",
         {4, 17},
         "Ghbdtn? rfr ltkf&",
         "Привет, как дела?",
         "say Привет, как дела? now"},
        // Characters outside the basic plane count one each, before and inside.
        {"😀 ghbdtn 𝐀 vbh", {2, 12}, "ghbdtn 𝐀 vbh", "привет 𝐀 мир", "😀 привет 𝐀 мир"},
        {"two\nlines", {0, 9}, "two\nlines", "ецщ\nдштуы", "ецщ\nдштуы"},
        // Lengths may differ.
        {"=e", {0, 2}, "=e", "é", "é"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        SelectionFixture fixture;
        auto field = fixture.selected(c.text, c.selection);
        const auto read = fixture.converter.selection();
        ASSERT_EQ(read, (FieldText{c.selection, c.selected}));
        EXPECT_EQ(fixture.replace(*read, c.replacement),
                  TextReplacementResult::success(TextReplacementMethod::accessibility));
        EXPECT_EQ(field->text(), c.expected);
        EXPECT_EQ(field->selection(),
                  (TextRange{c.selection.location,
                             static_cast<std::int64_t>(text::CodePoints::length(c.replacement))}));
        EXPECT_TRUE(fixture.posted().empty());
        EXPECT_FALSE(fixture.guard.isProcessing());
    }
}

TEST(SelectionConverterService, ThereIsNoSelectionToReadWithoutOneOrInASecretField) {
    SelectionFixture fixture;
    auto field = fixture.selected("ghbdtn", {6, 0});
    EXPECT_FALSE(fixture.converter.selection()) << "a bare caret";
    field->setSelection({0, 6});
    field->quirks().supportsStringForRange = false;
    field->quirks().reportsValue = false;
    EXPECT_FALSE(fixture.converter.selection()) << "unreadable";
    field->quirks() = {};
    field->setRole(AccessibilityRole::passwordText);
    EXPECT_FALSE(fixture.converter.selection());
    // A selection read before the field turned out secret is not written either.
    EXPECT_EQ(fixture.replace({{0, 6}, "ghbdtn"}, "привет"),
              TextReplacementResult::failure(kUnavailable));
    EXPECT_EQ(field->text(), "ghbdtn");
}

// Whatever moved between the reading and the writing, nothing is changed or typed.
TEST(SelectionConverterService, RefusesWhenTheFieldNoLongerHoldsWhatWasRead) {
    struct Case {
        std::string name;
        std::function<void(SimulatedElement&)> before;
        std::function<void(SimulatedElement&, const std::string&)> during = {};
    };
    const Case cases[] = {
        {"selection moved",
         [](SimulatedElement& f) {
             f.setSelection({1, 6});
         }},
        {"selection shrank",
         [](SimulatedElement& f) {
             f.setSelection({0, 5});
         }},
        {"text typed over it",
         [](SimulatedElement& f) {
             f.setText("xghbdtn rfr");
             f.setSelection({0, 6});
         }},
        {"text changed while selecting", [](SimulatedElement&) {},
         [](SimulatedElement& f, const std::string& attribute) {
             if (attribute == "set selectedTextRange") {
                 f.setText("ghbdtm rfr");
             }
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SelectionFixture fixture;
        auto field = fixture.selected("ghbdtn rfr", {0, 6});
        const auto read = fixture.converter.selection();
        ASSERT_TRUE(read);
        c.before(*field);
        const std::string text = field->text();
        if (c.during) {
            fixture.desktop.accessibility().setAccessHook(
                [&](const std::string& attribute) { c.during(*field, attribute); });
        }
        EXPECT_EQ(fixture.replace(*read, "привет"), TextReplacementResult::failure(kChanged));
        EXPECT_NE(field->text().substr(0, 12), "привет") << field->text();
        EXPECT_TRUE(c.during || field->text() == text);
        EXPECT_TRUE(fixture.posted().empty());
    }
}

TEST(SelectionConverterService, TypesOverTheSelectionWhereTheFieldTakesNoWritesAndSelectsAgain) {
    const std::function<SimulatedElementRef(SelectionFixture&)> fields[] = {
        [](SelectionFixture& f) {
            auto field = f.selected("a ghbdtn😀 b", {2, 7});
            field->quirks().acceptsTextWrites = false;
            return field;
        },
        // A browser takes the selection by keys even though its writes would work.
        [](SelectionFixture& f) {
            auto field = f.fieldIn("firefox-esr", 7, "a ghbdtn😀 b");
            field->setSelection({2, 7});
            return field;
        },
    };
    for (const auto& make : fields) {
        SelectionFixture fixture;
        auto field = make(fixture);
        const auto read = fixture.converter.selection();
        ASSERT_EQ(read, (FieldText{{2, 7}, "ghbdtn😀"}));
        EXPECT_EQ(fixture.replace(*read, "привет😀"),
                  TextReplacementResult::success(TextReplacementMethod::syntheticKeyboard));
        EXPECT_EQ(field->text(), "a привет😀 b");
        EXPECT_EQ(field->selection(), (TextRange{2, 7})) << "one Shift+Left per character";
        for (const auto& event : fixture.tapped) {
            EXPECT_TRUE(event.isOwnEvent);
        }
    }
}

TEST(SelectionConverterService, TypesNothingOverASelectionThatIsNotTheOneRead) {
    SelectionFixture fixture;
    auto field = fixture.selected("ghbdtn rfr", {7, 3});
    field->quirks().acceptsSelectionWrites = false;
    // Undoing finds the text where it was, but the user has selected something else, and
    // the field will not select the text: keys would replace the user's selection.
    EXPECT_EQ(fixture.replace({{0, 6}, "ghbdtn"}, "привет", false),
              TextReplacementResult::failure(kChanged));
    EXPECT_EQ(field->text(), "ghbdtn rfr");
    EXPECT_EQ(field->selection(), (TextRange{7, 3}));
    EXPECT_TRUE(fixture.posted().empty());
    // A field that selects the range but takes no text gets the keys over exactly it.
    field->quirks().acceptsSelectionWrites = true;
    field->quirks().acceptsTextWrites = false;
    EXPECT_EQ(fixture.replace({{0, 6}, "ghbdtn"}, "привет", false),
              TextReplacementResult::success(TextReplacementMethod::syntheticKeyboard));
    EXPECT_EQ(field->text(), "привет rfr");
    EXPECT_EQ(field->selection(), (TextRange{0, 6}));
}

TEST(SelectionConverterService, WritesNothingOnceTheUserPressedAnotherKeyOrTheTextIsTooLong) {
    SelectionFixture fixture;
    auto field = fixture.selected("ghbdtn", {0, 6});
    const auto read = fixture.converter.selection();
    const KeyPressNumber asked = fixture.desktop.keyEventTapFactory().latestPress();
    fixture.desktop.pressKey(testing::keyEvent(Key::left, std::nullopt));
    EXPECT_EQ(fixture.converter.replace(*read, "привет", false, asked),
              TextReplacementResult::failure(kChanged));
    EXPECT_EQ(field->text(), "ghbdtn");

    const std::string longText(SelectionConverterService::kMaximumLength + 1, 'x');
    field->setText(longText);
    field->setSelection({0, static_cast<std::int64_t>(longText.size())});
    const auto whole = fixture.converter.selection();
    ASSERT_TRUE(whole);
    EXPECT_EQ(fixture.replace(*whole, std::string(longText.size(), 'y')),
              TextReplacementResult::failure(SelectionConverterService::kTooLongMessage));
    EXPECT_EQ(field->text(), longText);
}

}  // namespace
}  // namespace plovik
