#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "core/replacement/ApplicationTraits.h"
#include "core/text/Utf8.h"
#include "replacement/ReplacementFixture.h"
#include "tests/support/KeyEvents.h"

namespace plovik {
namespace {

using testing::ReplacementFixture;

const std::string kCancelled = TextReplacementService::kCancelledMessage;
const std::string kUnavailable = TextReplacementService::kUnavailableElementMessage;
const std::string kInProgress = TextReplacementService::kAlreadyInProgressMessage;

const TextReplacementRequest kWord{"ghbdtn", "привет", " "};

TEST(TextReplacementService, ReplacesThroughAccessibilityAndPutsTheCaretAfterTheDelimiter) {
    struct Case {
        std::string text;
        std::int64_t caret;  // code points
        TextReplacementRequest request;
        std::string expected;
        std::int64_t expectedCaret;
    };
    const Case cases[] = {
        {"hello ghbdtn ", 13, kWord, "hello привет ", 13},
        // A token at the very start of the field.
        {"ghbdtn ", 7, kWord, "привет ", 7},
        // No delimiter: a comma after the caret ends the word; the text after it stays.
        {"say ghbdtn, then", 10, {"ghbdtn", "привет", ""}, "say привет, then", 10},
        // No delimiter at the end of the text.
        {"say ghbdtn", 10, {"ghbdtn", "привет", ""}, "say привет", 10},
        // Different delimiters; punctuation delimiter; lengths differ.
        {"x ,jkmit.", 9, {",jkmit", "больше", ".", "."}, "x больше.", 9},
        {"a rfr? b", 6, {"rfr", "как", "?", "?"}, "a как? b", 6},
        // Characters outside the basic plane count one each, before and in the token.
        {"a 😀x ", 5, {"😀x", "y", " "}, "a y ", 4},
        {"😀 ghbdtn ", 9, kWord, "😀 привет ", 9},
        {"𝐀𝐁𝐂 🎉😀 ghbdtn ", 14, kWord, "𝐀𝐁𝐂 🎉😀 привет ", 14},
        {"𝐱 ghbdtn, 𝐲", 8, {"ghbdtn", "привет", ""}, "𝐱 привет, 𝐲", 8},
        {"line\nghbdtn\n", 12, {"ghbdtn", "привет", "\n"}, "line\nпривет\n", 12},
        // A browser's editable block shows a typed space at its end as a no-break space.
        {"a\u00A0ghbdtn\u00A0", 9, kWord, "a\u00A0привет ", 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ReplacementFixture fixture;
        auto field = fixture.field(c.text);
        ASSERT_TRUE(field->setSelection({c.caret, 0}));
        const auto result = fixture.service.replace(c.request);
        EXPECT_EQ(result, TextReplacementResult::success(TextReplacementMethod::accessibility));
        EXPECT_EQ(field->text(), c.expected);
        EXPECT_EQ(field->selection(), (TextRange{c.expectedCaret, 0}));
        EXPECT_TRUE(fixture.posted().empty());
        EXPECT_FALSE(fixture.guard.isProcessing());
    }
}

// Every way the verification can fail leaves the text alone and sends no key.
TEST(TextReplacementService, CancelsWithoutTouchingTheFieldOrSendingKeys) {
    struct Case {
        std::string name;
        std::string text;
        TextRange selection;
        TextReplacementRequest request;
        std::function<void(SimulatedElement&)> prepare;
        std::function<void(SimulatedElement&, const std::string&)> duringAccess = {};
    };
    const auto none = [](SimulatedElement&) {};
    const Case cases[] = {
        {"selection of one character", "hello ghbdtn ", {12, 1}, kWord, none},
        {"selection of the token", "hello ghbdtn ", {6, 7}, kWord, none},
        {"expected longer than the text before the caret",
         "ghbdtn ",
         {7, 0},
         {"xghbdtn", "привет", " "},
         none},
        {"different text", "hello ghbdtm ", {13, 0}, kWord, none},
        {"different case", "hello Ghbdtn ", {13, 0}, kWord, none},
        {"different delimiter", "hello ghbdtn,", {13, 0}, kWord, none},
        {"caret not after the delimiter", "hello ghbdtn x", {14, 0}, kWord, none},
        {"glued to punctuation", "(ghbdtn ", {8, 0}, kWord, none},
        {"glued to a letter", "aghbdtn ", {8, 0}, kWord, none},
        {"caret inside a word", "ghbdtnabc", {6, 0}, {"ghbdtn", "привет", ""}, none},
        {"emoji after the caret", "ghbdtn😀", {6, 0}, {"ghbdtn", "привет", ""}, none},
        {"no token", "hello ", {6, 0}, {"", "x", " "}, none},
        {"no token, no delimiter", "hello ", {6, 0}, {"", "x", ""}, none},
        {"delimiter is a letter", "ghbdtnx", {7, 0}, {"ghbdtn", "привет", "x"}, none},
        {"text unreadable",
         "hello ghbdtn ",
         {13, 0},
         kWord,
         [](SimulatedElement& f) {
             f.quirks().supportsStringForRange = false;
             f.quirks().reportsValue = false;
         }},
        {"field length unreadable",
         "say ghbdtn",
         {10, 0},
         {"ghbdtn", "привет", ""},
         [](SimulatedElement& f) {
             f.quirks().reportsNumberOfCharacters = false;
             f.quirks().reportsValue = false;
         }},
        {"selection write fails and the caret moved",
         "hello ghbdtn ",
         {13, 0},
         kWord,
         [](SimulatedElement& f) { f.quirks().acceptsSelectionWrites = false; },
         // The application moves the caret itself while refusing the write.
         [](SimulatedElement& f, const std::string& attribute) {
             if (attribute == "set selectedTextRange") {
                 f.setSelection({0, 0});
             }
         }},
        {"selected text unreadable and the caret cannot be written back",
         "hello ghbdtn ",
         {13, 0},
         kWord,
         [](SimulatedElement& f) {
             f.quirks().reportsSelectedText = false;
             f.quirks().acceptsCaretWrites = false;
         }},
        {"caret write fails although the caret is back",
         "hello ghbdtn ",
         {13, 0},
         kWord,
         [](SimulatedElement& f) {
             f.quirks().reportsSelectedText = false;
             f.quirks().acceptsCaretWrites = false;
         },
         [](SimulatedElement& f, const std::string& attribute) {
             if (attribute == "set selectedTextRange" && f.selection().length > 0) {
                 f.setSelection({13, 0});
             }
         }},
        // Without a caret the field is checked where typing left the token: at its end.
        {"no caret, text unreadable",
         "hello ghbdtn ",
         {13, 0},
         kWord,
         [](SimulatedElement& f) {
             f.quirks().reportsSelectedTextRange = false;
             f.quirks().supportsStringForRange = false;
             f.quirks().reportsValue = false;
         }},
        {"no caret, token not at the end",
         "ghbdtn hello ",
         {13, 0},
         kWord,
         [](SimulatedElement& f) { f.quirks().reportsSelectedTextRange = false; }},
        {"no caret, token glued to a letter",
         "aghbdtn ",
         {8, 0},
         kWord,
         [](SimulatedElement& f) { f.quirks().reportsSelectedTextRange = false; }},
        {"no caret, field length unreadable",
         "say ghbdtn",
         {10, 0},
         {"ghbdtn", "привет", ""},
         [](SimulatedElement& f) {
             f.quirks().reportsSelectedTextRange = false;
             f.quirks().reportsNumberOfCharacters = false;
             f.quirks().reportsValue = false;
         }},
        {"text write fails and the caret does not move back",
         "hello ghbdtn ",
         {13, 0},
         kWord,
         [](SimulatedElement& f) {
             f.quirks().acceptsTextWrites = false;
             f.quirks().ignoresCaretWrites = true;
         }},
        // Typed, the same text would be refused too, after the word was erased.
        {"the field refuses the new text",
         "hello ghbdtn ",
         {13, 0},
         kWord,
         [](SimulatedElement& f) { f.quirks().acceptsNonAsciiText = false; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReplacementFixture fixture;
        auto field = fixture.field(c.text);
        ASSERT_TRUE(field->setSelection(c.selection));
        c.prepare(*field);
        if (c.duringAccess) {
            fixture.desktop.accessibility().setAccessHook(
                [&](const std::string& attribute) { c.duringAccess(*field, attribute); });
        }
        const auto result = fixture.service.replace(c.request);
        EXPECT_EQ(result, TextReplacementResult::failure(kCancelled));
        EXPECT_EQ(field->text(), c.text);
        EXPECT_TRUE(fixture.posted().empty());
        EXPECT_EQ(fixture.desktop.accessibility().accessCount("set selectedText"),
                  c.name == "text write fails and the caret does not move back" ||
                          c.name == "the field refuses the new text"
                      ? 1
                      : 0);
        EXPECT_FALSE(fixture.guard.isProcessing());
    }
}

TEST(TextReplacementService, LeavesTheSelectionWhereTheApplicationKeptItWhenCancelling) {
    ReplacementFixture fixture;
    auto field = fixture.field("hello ghbdtn ");
    field->quirks().reportsSelectedText = false;
    field->quirks().ignoresCaretWrites = true;
    EXPECT_EQ(fixture.service.replace(kWord), TextReplacementResult::failure(kCancelled));
    EXPECT_EQ(field->text(), "hello ghbdtn ");
    EXPECT_EQ(field->selection(), (TextRange{6, 7}));
    EXPECT_TRUE(fixture.posted().empty());
}

TEST(TextReplacementService, FallsBackToKeystrokesOnlyWhereItIsSafe) {
    struct Case {
        std::string name;
        std::function<void(SimulatedElement&)> prepare;
    };
    const Case cases[] = {
        {"selection unreported",
         [](SimulatedElement& f) { f.quirks().reportsSelectedTextRange = false; }},
        // The text is still read through its ranges.
        {"selection and value unreported",
         [](SimulatedElement& f) {
             f.quirks().reportsSelectedTextRange = false;
             f.quirks().reportsValue = false;
         }},
        {"selection and range reads unreported",
         [](SimulatedElement& f) {
             f.quirks().reportsSelectedTextRange = false;
             f.quirks().supportsStringForRange = false;
         }},
        {"selection write fails, caret unchanged",
         [](SimulatedElement& f) { f.quirks().acceptsSelectionWrites = false; }},
        {"selected text unreadable, caret restored",
         [](SimulatedElement& f) { f.quirks().reportsSelectedText = false; }},
        {"text write fails, caret restored",
         [](SimulatedElement& f) { f.quirks().acceptsTextWrites = false; }},
        {"text read through the value",
         [](SimulatedElement& f) {
             f.quirks().supportsStringForRange = false;
             f.quirks().acceptsTextWrites = false;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReplacementFixture fixture;
        auto field = fixture.field("hello ghbdtn ");
        c.prepare(*field);
        const auto result = fixture.service.replace(kWord);
        EXPECT_EQ(result, TextReplacementResult::success(TextReplacementMethod::syntheticKeyboard));
        EXPECT_EQ(field->text(), "hello привет ");
        EXPECT_EQ(field->selection(), (TextRange{13, 0}));
        // Seven backspaces (down and up) and one typing press.
        ASSERT_EQ(fixture.posted().size(), 16u);
        ASSERT_EQ(fixture.tapped.size(), 8u);
        for (const auto& event : fixture.tapped) {
            EXPECT_TRUE(event.isOwnEvent);
        }
        EXPECT_EQ(fixture.tapped.back().text, "привет ");
    }
}

TEST(TextReplacementService, TypesInListedApplicationsOnlyAfterFullVerification) {
    // A browser, an Electron application and a terminal.
    const char* listed[] = {"firefox-esr", "code", "xfce4-terminal"};
    std::int32_t pid = 500;
    for (const std::string identifier : listed) {
        SCOPED_TRACE(identifier);
        EXPECT_TRUE(ApplicationTraits::prefersKeyboardReplacement(identifier));
        {
            ReplacementFixture fixture;
            auto field = fixture.fieldIn(identifier, ++pid, "hello ghbdtn ");
            EXPECT_EQ(fixture.service.replace(kWord),
                      TextReplacementResult::success(TextReplacementMethod::syntheticKeyboard));
            EXPECT_EQ(field->text(), "hello привет ");
            EXPECT_EQ(fixture.desktop.accessibility().accessCount("set selectedTextRange"), 0);
            EXPECT_EQ(fixture.desktop.accessibility().accessCount("set selectedText"), 0);
        }
        {
            // Unverifiable in a listed application: nothing at all.
            ReplacementFixture fixture;
            auto field = fixture.fieldIn(identifier, ++pid, "hello ghbdtn ");
            field->quirks().reportsSelectedTextRange = false;
            EXPECT_EQ(fixture.service.replace(kWord), TextReplacementResult::failure(kCancelled));
            EXPECT_EQ(field->text(), "hello ghbdtn ");
            EXPECT_TRUE(fixture.posted().empty());
        }
        {
            ReplacementFixture fixture;
            auto field = fixture.fieldIn(identifier, ++pid, "hello ghbdtm ");
            EXPECT_EQ(fixture.service.replace(kWord), TextReplacementResult::failure(kCancelled));
            EXPECT_TRUE(fixture.posted().empty());
        }
    }
    for (const std::string other : {"Firefox-esr", "firefox-esr.desktop", "org.gnome.gedit", ""}) {
        EXPECT_FALSE(ApplicationTraits::prefersKeyboardReplacement(other));
    }
    EXPECT_FALSE(ApplicationTraits::prefersKeyboardReplacement(std::nullopt));
}

TEST(TextReplacementService, ErasesOneBackspacePerUserPerceivedCharacter) {
    struct Case {
        std::string text;
        TextReplacementRequest request;
        std::size_t backspaces;
        std::string expected;
    };
    const Case cases[] = {
        // One character outside the basic plane.
        {"a 😀 ", {"😀", "x", " "}, 2, "a x "},
        {"a 👨‍👩‍👧 ", {"👨‍👩‍👧", "x", " "}, 2, "a x "},
        {"a e\u0301t ", {"e\u0301t", "x", " "}, 3, "a x "},
        {"a ghbdtn\r\n", {"ghbdtn", "привет", "\r\n"}, 7, "a привет\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ReplacementFixture fixture;
        auto field = fixture.fieldIn("chromium", 700, c.text);
        EXPECT_EQ(fixture.service.replace(c.request),
                  TextReplacementResult::success(TextReplacementMethod::syntheticKeyboard));
        std::size_t backspaces = 0;
        for (const auto& event : fixture.posted()) {
            backspaces += event.key == Key::backspace && event.isKeyDown ? 1 : 0;
        }
        EXPECT_EQ(backspaces, c.backspaces);
        EXPECT_EQ(field->text(), c.expected);
    }
}

TEST(TextReplacementService, RefusesUnavailableSecureAndExcludedFields) {
    struct Case {
        std::string name;
        std::function<void(ReplacementFixture&)> prepare;
    };
    const Case cases[] = {
        {"no focused element", [](ReplacementFixture& f) { f.editor->clearFocus(); }},
        {"no frontmost application",
         [](ReplacementFixture& f) { f.desktop.workspace().clearFrontmost(); }},
        {"accessibility not granted",
         [](ReplacementFixture& f) { f.desktop.permissions().setAccessibilityGranted(false); }},
        {"password text",
         [](ReplacementFixture& f) {
             f.desktop.focusedElement()->setRole(AccessibilityRole::passwordText);
         }},
        {"password identifier",
         [](ReplacementFixture& f) { f.desktop.focusedElement()->setIdentifier("LoginPassWord"); }},
        {"code editor",
         [](ReplacementFixture& f) {
             f.desktop.focusedElement()->setDescription("Main CODE Editor");
         }},
        {"not editable",
         [](ReplacementFixture& f) {
             auto field = f.desktop.focusedElement();
             field->setRole(AccessibilityRole::other);
             field->setValueSettable(false);
             field->setSelectedTextSettable(false);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReplacementFixture fixture;
        auto field = fixture.field("hello ghbdtn ");
        c.prepare(fixture);
        EXPECT_EQ(fixture.service.replace(kWord), TextReplacementResult::failure(kUnavailable));
        EXPECT_EQ(field->text(), "hello ghbdtn ");
        EXPECT_TRUE(fixture.posted().empty());
    }
}

TEST(TextReplacementService, RefusesANestedReplacementAndReleasesTheGuard) {
    ReplacementFixture fixture;
    auto field = fixture.field("hello ghbdtn ");
    std::optional<TextReplacementResult> nested;
    bool sawGuardUp = false;
    fixture.desktop.accessibility().setAccessHook([&](const std::string& attribute) {
        if (attribute == "selectedTextRange" && !nested) {
            sawGuardUp = fixture.guard.isProcessing();
            nested = fixture.service.replace(kWord);
        }
    });
    EXPECT_EQ(fixture.service.replace(kWord),
              TextReplacementResult::success(TextReplacementMethod::accessibility));
    ASSERT_TRUE(nested.has_value());
    EXPECT_EQ(*nested, TextReplacementResult::failure(kInProgress));
    EXPECT_TRUE(sawGuardUp);
    EXPECT_FALSE(fixture.guard.isProcessing());
    EXPECT_FALSE(fixture.guard.isProcessing());
    EXPECT_EQ(field->text(), "hello привет ");
}

// A write that reports failure but changed the text must not be followed by backspaces
// over text that is no longer what was verified.
TEST(TextReplacementService, ReverifiesTheTextBeforeFallingBackAfterAFailedWrite) {
    ReplacementFixture fixture;
    auto field = fixture.field("hello ghbdtn ");
    field->quirks().acceptsTextWrites = false;
    fixture.desktop.accessibility().setAccessHook([&](const std::string& attribute) {
        if (attribute == "set selectedText") {
            field->setText("hello gh");
            field->setSelection({6, 2});
        }
    });
    EXPECT_EQ(fixture.service.replace(kWord), TextReplacementResult::failure(kCancelled));
    EXPECT_EQ(field->text(), "hello gh");
    EXPECT_TRUE(fixture.posted().empty());
}

TEST(TextReplacementService, SendsNothingWhenTheKeystrokesCannotAllBeCreated) {
    for (const std::optional<std::size_t> budget :
         {std::optional<std::size_t>(0), std::optional<std::size_t>(5),
          std::optional<std::size_t>(15)}) {
        ReplacementFixture fixture;
        auto field = fixture.field("hello ghbdtn ");
        field->quirks().reportsSelectedTextRange = false;
        fixture.desktop.eventPoster().setEventCreationBudget(budget);
        EXPECT_EQ(fixture.service.replace(kWord), TextReplacementResult::failure(kCancelled));
        EXPECT_EQ(field->text(), "hello ghbdtn ");
        EXPECT_TRUE(fixture.posted().empty());
    }
    ReplacementFixture fixture;
    auto field = fixture.field("hello ghbdtn ");
    field->quirks().reportsSelectedTextRange = false;
    fixture.desktop.eventPoster().setEventCreationBudget(0);
    EXPECT_EQ(fixture.service.replace(kWord), TextReplacementResult::failure(kCancelled));
    EXPECT_EQ(field->text(), "hello ghbdtn ");
}

TEST(ReentrancyGuard, CountsNestedOperationsAndPassesFailuresOn) {
    ReentrancyGuard guard;
    EXPECT_FALSE(guard.isProcessing());
    guard.perform([&] {
        guard.perform([&] { EXPECT_TRUE(guard.isProcessing()); });
        // The inner operation's end leaves the outer one running.
        EXPECT_TRUE(guard.isProcessing());
    });
    EXPECT_FALSE(guard.isProcessing());
    EXPECT_THROW(guard.perform([]() -> int { throw std::runtime_error("write failed"); }),
                 std::runtime_error);
    EXPECT_FALSE(guard.isProcessing());
}

// A key the user pressed after the one that asked may not be in the field yet: nothing
// is selected or posted, whichever way the word would have been replaced.
TEST(TextReplacementService, WritesNothingOnceTheUserPressedAnotherKey) {
    for (const bool byKeystrokes : {false, true}) {
        SCOPED_TRACE(byKeystrokes ? "keystrokes" : "accessibility");
        ReplacementFixture fixture;
        auto field =
            byKeystrokes ? fixture.fieldIn("firefox-esr", 7, "ghbdtn ") : fixture.field("ghbdtn ");
        const KeyPressNumber delimiter = fixture.desktop.keyEventTapFactory().latestPress();
        fixture.desktop.pressKey(testing::keyEvent(Key::l, std::nullopt));
        fixture.desktop.accessibility().resetAccessCounts();

        EXPECT_EQ(fixture.service.replace(kWord, delimiter),
                  TextReplacementResult::failure(kCancelled));
        EXPECT_EQ(field->text(), "ghbdtn ");
        EXPECT_TRUE(fixture.posted().empty());
        EXPECT_EQ(fixture.desktop.accessibility().accessCount("set selectedTextRange"), 0);
        EXPECT_FALSE(fixture.guard.isProcessing());

        // Asked again from that key on, the same word is replaced.
        const KeyPressNumber now = fixture.desktop.keyEventTapFactory().latestPress();
        EXPECT_TRUE(fixture.service.replace(kWord, now).succeeded);
        EXPECT_EQ(field->text(), "привет ");
    }
}

// The field is read before the keyboard is held, so that the freeze is the edit alone; a
// key pressed between the reading and the hold makes the edit read it again. A Backspace
// that takes the Space back leaves the word alone; a letter after the Space stays after
// the replacement, also when the field refuses the write and keys make the edit from
// where the caret is now.
TEST(TextReplacementService, AKeyPressedBetweenTheReadingAndTheHoldIsTakenIntoAccount) {
    struct Case {
        Key key;
        std::optional<std::string> text;
        bool writable;
        std::string expected;
    };
    for (const auto& c :
         {Case{Key::backspace, std::nullopt, true, "ghbdtn"}, Case{Key::l, "l", true, "привет l"},
          Case{Key::l, "l", false, "привет l"}}) {
        SCOPED_TRACE(c.expected + (c.writable ? "" : ", by keys"));
        ReplacementFixture fixture;
        auto field = fixture.field("ghbdtn ");
        field->quirks().acceptsTextWrites = c.writable;
        const KeyPressNumber delimiter = fixture.desktop.keyEventTapFactory().latestPress();
        fixture.desktop.keyboardHolder().setBeforeHold(
            [&] { fixture.desktop.pressKey(testing::keyEvent(c.key, c.text)); });

        const auto result = fixture.service.replace(kWord, delimiter);
        EXPECT_EQ(result.succeeded, c.key != Key::backspace);
        EXPECT_EQ(field->text(), c.expected);
        EXPECT_EQ(
            field->selectedTextRange().valueIfPresent(),
            (TextRange{static_cast<std::int64_t>(text::Utf8::scalars(c.expected).size()), 0}));
        EXPECT_EQ(fixture.desktop.keyboardHolder().holdCount(), 1u);
    }
}

}  // namespace
}  // namespace plovik
