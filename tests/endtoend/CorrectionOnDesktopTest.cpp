#include <signal.h>

#include "endtoend/PlovikDesktopFixture.h"

namespace plovik::testing {
namespace {

using Field = FixtureWindow::Field;

class CorrectionInToolkitTest : public PlovikDesktopTest,
                                public ::testing::WithParamInterface<Toolkit> {
  protected:
    void SetUp() override {
        const Toolkit toolkit = GetParam();
        start({DesktopRehearsal::enabled(toolkit == Toolkit::gtk ? kGtkId : kQtId, "Fixture")},
              {toolkit});
    }
};

TEST_P(CorrectionInToolkitTest, RussianTypedUnderUsIsCorrectedInPlaceAndTheLayoutSwitched) {
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    rehearsal_->typeKeys("ghbdtn ", 0, 20ms);
    EXPECT_EQ(waitForText(window(), Field::single, "привет "), "привет ") << rehearsal_->log();
    EXPECT_TRUE(rehearsal_->waitForGroup(1, 2s)) << "Russian is selected after the correction";

    // Now Russian is on and the user means English.
    rehearsal_->typeKeys("hello ", 0, 20ms);
    EXPECT_EQ(waitForText(window(), Field::single, "привет hello "), "привет hello ")
        << rehearsal_->log();
    EXPECT_TRUE(rehearsal_->waitForGroup(0, 2s));
}

TEST_P(CorrectionInToolkitTest, MultiLineAreaAndCorrectWordsAndPasswords) {
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    ASSERT_TRUE(window().focus(Field::multi));
    rehearsal_->typeKeys("hello ghbdtn\n", 0, 20ms);
    EXPECT_EQ(waitForText(window(), Field::multi, "hello привет\n"), "hello привет\n")
        << rehearsal_->log();
    EXPECT_EQ(corrections(), 1) << "the correct word stays as typed";

    ASSERT_TRUE(window().focus(Field::password));
    rehearsal_->lockGroup(0);
    rehearsal_->typeKeys("ghbdtn ", 0, 20ms);
    EXPECT_EQ(settledText(window(), Field::password), "ghbdtn ");
    EXPECT_EQ(corrections(), 1) << "nothing is read or changed in a password field";
}

// Plovik's main thread has a millisecond to take up a held key, so it often misses it or
// answers late.
class LateGrabAnswerTest : public CorrectionInToolkitTest {
  protected:
    void SetUp() override {
        grabAnswerBudget_ = 1ms;
        CorrectionInToolkitTest::SetUp();
    }
};

// Each held Return is either answered (the word corrected first) or goes on at once (the
// word stays as typed): never both, never neither.
TEST_P(LateGrabAnswerTest, EveryReturnArrivesExactlyOnce) {
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    ASSERT_TRUE(window().focus(Field::multi));
    constexpr int kLines = 6;
    for (int line = 0; line < kLines; ++line) {
        rehearsal_->lockGroup(0);
        rehearsal_->typeKeys("ghbdtn\n", 0, 20ms);
        std::this_thread::sleep_for(150ms);
    }
    const std::string text = waitForText(window(), Field::multi, "(never)", 1500ms);
    std::size_t lines = 0;
    std::size_t at = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos;
         at = end + 1, end = text.find('\n', at)) {
        const std::string line = text.substr(at, end - at);
        EXPECT_TRUE(line == "ghbdtn" || line == "привет") << "line " << lines << ": " << line;
        ++lines;
    }
    EXPECT_EQ(lines, static_cast<std::size_t>(kLines)) << text << rehearsal_->log();
    EXPECT_EQ(at, text.size()) << "nothing after the last Return: " << text;
}

INSTANTIATE_TEST_SUITE_P(Toolkits, CorrectionInToolkitTest,
                         ::testing::Values(Toolkit::gtk, Toolkit::qt),
                         [](const auto& info) { return toolkitName(info.param); });
INSTANTIATE_TEST_SUITE_P(Toolkits, LateGrabAnswerTest, ::testing::Values(Toolkit::gtk, Toolkit::qt),
                         [](const auto& info) { return toolkitName(info.param); });

// GTK counts code points and Qt UTF-16 units: characters outside the basic plane before
// the word put the two apart.
class AstralTextInToolkitTest : public CorrectionInToolkitTest {
  protected:
    void SetUp() override {
        const Toolkit toolkit = GetParam();
        start({DesktopRehearsal::enabled(toolkit == Toolkit::gtk ? kGtkId : kQtId, "Fixture")},
              {toolkit}, [](AppSettings& settings) {
                  settings.undoShortcut = ShortcutDefinition(
                      Key::space, Modifier::control | Modifier::alt | Modifiers(Modifier::shift));
              });
    }
};

TEST_P(AstralTextInToolkitTest, CorrectionAndUndoLandOnTheWordAfterEmojiAndMathLetters) {
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    ASSERT_TRUE(window().setText(Field::single, "😀𝐀 ok "));
    rehearsal_->pressKey(kEndKey);
    rehearsal_->typeKeys("ghbdtn ", 0, 20ms);
    EXPECT_EQ(waitForText(window(), Field::single, "😀𝐀 ok привет "), "😀𝐀 ok привет ")
        << rehearsal_->log();
    rehearsal_->pressKey(kSpaceKey, X11KeyboardState::kControlMask | X11KeyboardState::kAltMask |
                                        X11KeyboardState::kShiftMask);
    EXPECT_EQ(waitForText(window(), Field::single, "😀𝐀 ok ghbdtn "), "😀𝐀 ok ghbdtn ")
        << rehearsal_->log();
}

INSTANTIATE_TEST_SUITE_P(Toolkits, AstralTextInToolkitTest,
                         ::testing::Values(Toolkit::gtk, Toolkit::qt),
                         [](const auto& info) { return toolkitName(info.param); });

using DesktopFlowTest = PlovikDesktopTest;

TEST_F(DesktopFlowTest, AnApplicationNotEnabledIsLeftAlone) {
    start({DesktopRehearsal::enabled("org.example.Other", "Other")});
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    rehearsal_->typeKeys("ghbdtn ", 0, 20ms);
    EXPECT_EQ(settledText(window(), Field::single), "ghbdtn ");
    EXPECT_EQ(corrections(), 0);
}

// Both the edit and the keystrokes behind it are refused by a field that takes Latin
// letters only: the word must come through as typed.
TEST_F(DesktopFlowTest, AFieldThatRefusesTheCorrectionKeepsTheWordAsTyped) {
    start({DesktopRehearsal::enabled(kGtkId, "Fixture")});
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    ASSERT_TRUE(window().refuseNonAscii(Field::single));
    rehearsal_->typeKeys("ghbdtn ", 0, 20ms);
    EXPECT_EQ(settledText(window(), Field::single), "ghbdtn ") << rehearsal_->log();
    rehearsal_->typeKeys("vbh ", 0, 20ms);
    EXPECT_EQ(settledText(window(), Field::single), "ghbdtn vbh ") << rehearsal_->log();
}

TEST_F(DesktopFlowTest, ReturnInAnEntryIsHeldUntilTheWordIsCorrectedThenActivatesOnce) {
    start({DesktopRehearsal::enabled(kGtkId, "Fixture")});
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    rehearsal_->typeKeys("ghbdtn", 0, 20ms);
    std::this_thread::sleep_for(100ms);
    rehearsal_->typeKeys("\n");
    ASSERT_EQ(waitForText(window(), Field::single, "привет"), "привет") << rehearsal_->log();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(window().activations(), 1);
    EXPECT_EQ(window().text(Field::single), "привет");
}

TEST_F(DesktopFlowTest, ManualCorrectionUndoAndPauseByShortcutNeverReachTheApplication) {
    // The window manager keeps Alt+Space for its window menu: these use Control+Alt.
    start({DesktopRehearsal::enabled(kGtkId, "Fixture", false)}, {Toolkit::gtk},
          [](AppSettings& settings) {
              settings.manualShortcut =
                  ShortcutDefinition(Key::space, Modifier::control | Modifier::alt);
              settings.undoShortcut = ShortcutDefinition(
                  Key::space, Modifier::control | Modifier::alt | Modifiers(Modifier::shift));
          });
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    rehearsal_->typeKeys("ghbdtn", 0, 20ms);
    std::this_thread::sleep_for(100ms);
    rehearsal_->pressKey(kSpaceKey, X11KeyboardState::kControlMask | X11KeyboardState::kAltMask);
    EXPECT_EQ(waitForText(window(), Field::single, "привет"), "привет") << rehearsal_->log();
    rehearsal_->pressKey(kSpaceKey, X11KeyboardState::kControlMask | X11KeyboardState::kAltMask |
                                        X11KeyboardState::kShiftMask);
    EXPECT_EQ(waitForText(window(), Field::single, "ghbdtn"), "ghbdtn") << rehearsal_->log();
    EXPECT_TRUE(rehearsal_->waitForLog("Restored", 2s));

    rehearsal_->pressKey(kPKey, X11KeyboardState::kAltMask | X11KeyboardState::kSuperMask);
    ASSERT_TRUE(rehearsal_->waitForLog("plovik: paused", 2s)) << rehearsal_->log();
    rehearsal_->typeKeys(" vbh ", 0, 20ms);
    EXPECT_EQ(settledText(window(), Field::single), "ghbdtn vbh ");
    rehearsal_->pressKey(kPKey, X11KeyboardState::kAltMask | X11KeyboardState::kSuperMask);
    ASSERT_TRUE(rehearsal_->waitForLog("plovik: resumed", 2s)) << rehearsal_->log();
    EXPECT_EQ(window().text(Field::single), "ghbdtn vbh ") << "no shortcut key was typed";
}

TEST_F(DesktopFlowTest, AKeyHeldDownLeavesTheWordUnknown) {
    start({DesktopRehearsal::enabled(kGtkId, "Fixture", false)});
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    rehearsal_->typeKeys("ghbdt", 0, 20ms);
    rehearsal_->holdKey(kNKey, 900ms);
    rehearsal_->typeKeys(" \n", 0, 20ms);
    const std::string text = settledText(window(), Field::single);
    EXPECT_TRUE(text.starts_with("ghbdtnnn") && text.ends_with("n ")) << text;
    EXPECT_EQ(corrections(), 0) << rehearsal_->log();
    EXPECT_EQ(window().activations(), 1);
    EXPECT_EQ(DesktopRehearsal::occurrences(rehearsal_->log(), "cancelled"), 0)
        << "nothing was even tried: " << rehearsal_->log();
}

TEST_F(DesktopFlowTest, FastTypingLosesAndReordersNothing) {
    start({DesktopRehearsal::enabled(kGtkId, "Fixture", false)});
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    ASSERT_TRUE(window().focus(Field::multi));
    const std::vector<std::pair<std::string, std::string>> words{
        {"ghbdtn", "привет"}, {"vbh", "мир"},   {"lheu", "друг"},  {"hello", "hello"},
        {"world", "world"},   {"ntcn", "тест"}, {"ckjdj", "слово"}};
    for (const auto& [typed, corrected] : words) {
        rehearsal_->typeKeys(typed + " ", 0, 20ms);
    }
    // A word the next key overtook stays as typed; the last one has time to be corrected.
    const std::string text = waitForText(window(), Field::multi, "(never)", 1500ms);
    EXPECT_TRUE(wordsAreTypedOrCorrected(text, words)) << rehearsal_->log();
    EXPECT_TRUE(text.ends_with(" слово ")) << text;
}

TEST_F(DesktopFlowTest, TheUserTypesOnWhileACorrectionIsApplied) {
    start({DesktopRehearsal::enabled(kGtkId, "Fixture", false)});
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    ASSERT_TRUE(window().focus(Field::multi));
    const std::vector<std::pair<std::string, std::string>> words{
        {"ghbdtn", "привет"}, {"lheu", "друг"}, {"vjq", "мой"}};
    // The keys of the next word arrive while the first is being looked at and replaced.
    rehearsal_->typeKeys("ghbdtn ", 0, 20ms);
    std::this_thread::sleep_for(30ms);
    rehearsal_->typeKeys("lheu vjq ", 0, 20ms);
    const std::string text = waitForText(window(), Field::multi, "(never)", 1500ms);
    EXPECT_TRUE(wordsAreTypedOrCorrected(text, words)) << rehearsal_->log();
    EXPECT_TRUE(text.ends_with(" мой ")) << text;
}

TEST_F(DesktopFlowTest, AStoppedApplicationStallsNothingElseAndIsNotCorrupted) {
    start({DesktopRehearsal::enabled(kGtkId, "GTK fixture", false),
           DesktopRehearsal::enabled(kQtId, "Qt fixture", false)},
          {Toolkit::gtk, Toolkit::qt});
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    // The Qt window is in front; it stops as its correction begins.
    ASSERT_TRUE(rehearsal_->activateWindowOf(window(1).pid()));
    std::this_thread::sleep_for(300ms);
    rehearsal_->typeKeys("ghbdtn ");
    ASSERT_EQ(::kill(window(1).pid(), SIGSTOP), 0);
    ASSERT_TRUE(rehearsal_->activateWindowOf(window(0).pid()));
    std::this_thread::sleep_for(300ms);
    // Typing in the other application goes on, and is corrected.
    rehearsal_->typeKeys("ghbdtn ", 0, 20ms);
    EXPECT_EQ(waitForText(window(0), Field::single, "привет ", 10s), "привет ")
        << rehearsal_->log();
    ASSERT_EQ(::kill(window(1).pid(), SIGCONT), 0);
    std::this_thread::sleep_for(300ms);
    const std::string resumed = window(1).text(Field::single).value_or("(no answer)");
    EXPECT_TRUE(resumed == "ghbdtn " || resumed == "привет ") << resumed;
}

}  // namespace
}  // namespace plovik::testing
