#include <signal.h>

#include <fstream>

#include "endtoend/TypedWords.h"
#include "support/ProgramRun.h"
#include "wayland/WaylandDesktopFixture.h"

namespace plovik::testing {
namespace {

using Field = FixtureWindow::Field;

const ShortcutDefinition kManual(Key::space, Modifier::control | Modifier::alt);
const ShortcutDefinition kUndo(Key::space,
                               Modifier::control | Modifier::alt | Modifiers(Modifier::shift));

void useTestShortcuts(AppSettings& settings) {
    settings.manualShortcut = kManual;
    settings.undoShortcut = kUndo;
}

class CorrectionThroughFcitx5Test : public WaylandDesktopTest,
                                    public ::testing::WithParamInterface<InputPath> {
  protected:
    void SetUp() override {
        start(GetParam(), {DesktopRehearsal::enabled(applicationIdOf(GetParam()), "Fixture")},
              useTestShortcuts);
    }
};

TEST_P(CorrectionThroughFcitx5Test, AWrongLayoutWordIsCorrectedInPlaceAndTheLayoutSwitched) {
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    ASSERT_TRUE(rehearsal_->typeKeys("ghbdtn ", 20ms));
    EXPECT_EQ(waitForText(Field::single, "привет "), "привет ") << rehearsal_->log();
    EXPECT_TRUE(rehearsal_->waitForInputMethod("keyboard-ru", 2s));

    // Russian is on now, and the user means English.
    ASSERT_TRUE(rehearsal_->typeKeys("hello ", 20ms));
    EXPECT_EQ(waitForText(Field::single, "привет hello "), "привет hello ") << rehearsal_->log();
    EXPECT_TRUE(rehearsal_->waitForInputMethod("keyboard-us", 2s));

    // Undone by its shortcut, which never reaches the field.
    ASSERT_TRUE(rehearsal_->pressKey(kUndo.key().value(), kUndo.modifiers().value()));
    EXPECT_EQ(waitForText(Field::single, "привет руддщ "), "привет руддщ ") << rehearsal_->log();
}

TEST_P(CorrectionThroughFcitx5Test, ReturnInTheMultiLineFieldWaitsForTheWordBeforeIt) {
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    ASSERT_TRUE(window().focus(Field::multi));
    ASSERT_TRUE(rehearsal_->typeKeys("hello ghbdtn\n", 20ms));
    EXPECT_EQ(waitForText(Field::multi, "hello привет\n"), "hello привет\n") << rehearsal_->log();
    EXPECT_EQ(corrections(), 1) << "the correct word stays as typed";
}

TEST_P(CorrectionThroughFcitx5Test, APasswordFieldIsNeverReadNorChanged) {
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    ASSERT_TRUE(window().focus(Field::password));
    ASSERT_TRUE(rehearsal_->typeKeys("ghbdtn ", 20ms));
    ASSERT_TRUE(rehearsal_->pressKey(kManual.key().value(), kManual.modifiers().value()));
    EXPECT_EQ(settledText(Field::password), "ghbdtn ");
    EXPECT_EQ(corrections(), 0) << rehearsal_->log();
    EXPECT_EQ(rehearsal_->inputMethod(), "keyboard-us");

    // Back in an ordinary field, the word typed there is the only one.
    ASSERT_TRUE(window().focus(Field::single));
    ASSERT_TRUE(rehearsal_->typeKeys("ghbdtn ", 20ms));
    EXPECT_EQ(waitForText(Field::single, "привет "), "привет ") << rehearsal_->log();
}

INSTANTIATE_TEST_SUITE_P(Paths, CorrectionThroughFcitx5Test,
                         ::testing::Values(InputPath::gtkTextInput, InputPath::gtkModule,
                                           InputPath::qtModule),
                         [](const auto& info) { return pathName(info.param); });

// Automatic correction off: only the user's shortcut corrects.
class ManualCorrectionThroughFcitx5Test : public WaylandDesktopTest,
                                          public ::testing::WithParamInterface<InputPath> {
  protected:
    void SetUp() override {
        start(GetParam(),
              {EnabledApplication(applicationIdOf(GetParam()), "Fixture", std::nullopt,
                                  std::nullopt, true, false, false, true, 0.9)},
              useTestShortcuts);
    }
    bool correctManually() {
        return rehearsal_->pressKey(kManual.key().value(), kManual.modifiers().value());
    }
};

TEST_P(ManualCorrectionThroughFcitx5Test, TheWordBeingTypedAndThenTheLastOne) {
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    ASSERT_TRUE(rehearsal_->typeKeys("ghbdtn", 20ms));
    std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(correctManually());
    EXPECT_EQ(waitForText(Field::single, "привет"), "привет") << rehearsal_->log();

    ASSERT_TRUE(rehearsal_->typeKeys(" vbh ", 20ms));
    EXPECT_EQ(settledText(Field::single), "привет vbh ") << "nothing happens by itself";
    ASSERT_TRUE(correctManually());
    EXPECT_EQ(waitForText(Field::single, "привет мир "), "привет мир ") << rehearsal_->log();
    EXPECT_EQ(rehearsal_->inputMethod(), "keyboard-us") << "switching is off";
}

INSTANTIATE_TEST_SUITE_P(Paths, ManualCorrectionThroughFcitx5Test,
                         ::testing::Values(InputPath::gtkTextInput, InputPath::qtModule),
                         [](const auto& info) { return pathName(info.param); });

using WaylandFlowTest = WaylandDesktopTest;

TEST_F(WaylandFlowTest, AnApplicationNotEnabledIsLeftAlone) {
    start(InputPath::gtkTextInput, {DesktopRehearsal::enabled("org.example.Other", "Other")});
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    ASSERT_TRUE(rehearsal_->typeKeys("ghbdtn ", 20ms));
    EXPECT_EQ(settledText(Field::single), "ghbdtn ");
    EXPECT_EQ(corrections(), 0);
    EXPECT_EQ(rehearsal_->inputMethod(), "keyboard-us");
}

TEST_F(WaylandFlowTest, ReturnInAnEntryIsHeldUntilTheWordIsCorrectedThenActivatesOnce) {
    start(InputPath::gtkTextInput, {DesktopRehearsal::enabled(kGtkId(), "Fixture")});
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    ASSERT_TRUE(rehearsal_->typeKeys("ghbdtn", 20ms));
    std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(rehearsal_->pressKey(Key::enter));
    ASSERT_EQ(waitForText(Field::single, "привет"), "привет") << rehearsal_->log();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(window().activations(), 1);
    EXPECT_EQ(window().text(Field::single), "привет");
}

TEST_F(WaylandFlowTest, KeysKeepArrivingWhenPlovikStopsMidWord) {
    start(InputPath::gtkTextInput, {DesktopRehearsal::enabled(kGtkId(), "Fixture")});
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    ASSERT_TRUE(rehearsal_->typeKeys("ghb", 20ms));
    ASSERT_EQ(::kill(rehearsal_->plovik()->pid(), SIGKILL), 0);
    ASSERT_TRUE(rehearsal_->typeKeys("dtn\n", 20ms));
    EXPECT_EQ(waitForText(Field::single, "ghbdtn"), "ghbdtn");
    EXPECT_EQ(window().activations(), 1) << "Return is neither held nor lost";
    ASSERT_TRUE(rehearsal_->pressKey(Key::enter));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(window().activations(), 2);
}

// A Plovik that hangs answers nothing: each held key waits its few milliseconds and goes
// on, and the answers that come once it runs again change nothing.
TEST_F(WaylandFlowTest, AHungPlovikNeitherFreezesNorRepeatsKeys) {
    start(InputPath::gtkTextInput, {DesktopRehearsal::enabled(kGtkId(), "Fixture", false)});
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    ASSERT_TRUE(window().focus(Field::multi));
    const pid_t plovik = rehearsal_->plovik()->pid();
    ASSERT_EQ(::kill(plovik, SIGSTOP), 0);
    ASSERT_TRUE(rehearsal_->typeKeys("ghbdtn\nhello\n", 20ms));
    EXPECT_EQ(waitForText(Field::multi, "ghbdtn\nhello\n"), "ghbdtn\nhello\n");
    ASSERT_EQ(::kill(plovik, SIGCONT), 0);
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(window().text(Field::multi), "ghbdtn\nhello\n") << rehearsal_->log();

    // Awake again, it corrects.
    ASSERT_TRUE(rehearsal_->typeKeys("ghbdtn ", 20ms));
    EXPECT_EQ(waitForText(Field::multi, "ghbdtn\nhello\nпривет "), "ghbdtn\nhello\nпривет ")
        << rehearsal_->log();
}

// `fcitx5 -r`, or a crash: Plovik finds the new one by itself.
TEST_F(WaylandFlowTest, PlovikConnectsAgainWhenFcitx5Restarts) {
    start(InputPath::gtkModule, {DesktopRehearsal::enabled(kGtkId(), "Fixture", false)});
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    session_->restartInputMethod();
    // Missed for a moment (how much of it is seen depends on the poll), then back.
    ASSERT_TRUE(rehearsal_->waitForLog("accessibility on, input monitoring granted", 10s, 2))
        << rehearsal_->log();
    // GTK's input module finds the new Fcitx5 on its own time; keys typed before it has go
    // straight to the field, unseen.
    std::this_thread::sleep_for(1s);
    ASSERT_TRUE(window().focus(Field::multi));
    ASSERT_TRUE(window().focus(Field::single));
    ASSERT_TRUE(rehearsal_->typeKeys("ghbdtn ", 20ms));
    EXPECT_EQ(waitForText(Field::single, "привет "), "привет ") << rehearsal_->log();
}

TEST_F(WaylandFlowTest, TypingInBurstsLosesAndReordersNothing) {
    start(InputPath::gtkTextInput, {DesktopRehearsal::enabled(kGtkId(), "Fixture", false)});
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    ASSERT_TRUE(window().focus(Field::multi));
    const std::vector<std::pair<std::string, std::string>> words{
        {"ghbdtn", "привет"}, {"vbh", "мир"},   {"lheu", "друг"},  {"hello", "hello"},
        {"world", "world"},   {"ntcn", "тест"}, {"ckjdj", "слово"}};
    // A typist's rhythm: words in quick bursts, a pause now and then.
    for (std::size_t i = 0; i < words.size(); ++i) {
        ASSERT_TRUE(rehearsal_->typeKeys(words[i].first + " ", i % 2 == 0 ? 8ms : 25ms));
        if (i % 3 == 2) {
            std::this_thread::sleep_for(120ms);
        }
    }
    const std::string text = waitForText(Field::multi, "(never)", 1500ms);
    EXPECT_TRUE(wordsAreTypedOrCorrected(text, words)) << rehearsal_->log();
    EXPECT_TRUE(text.ends_with(" слово ")) << text;
}

// The first `count` lines the typist tests type, in Russian.
std::string russianLines(std::size_t count) {
    std::ifstream file(PLOVIK_TEST_DATA_DIR "/typist/russian.txt");
    std::string text;
    for (std::string line; count > 0 && std::getline(file, line);) {
        if (!line.empty()) {
            text += line + "\n";
            --count;
        }
    }
    return text;
}

// A window busy with each letter reads the keys typed meanwhile together. Fcitx5, applying
// the Russian layout itself here, used to send letters as text and let Return go on as a
// key, which GTK's module queued: the next letter came first ("мири\n" for "мир\nи").
class BusyGtkWindowTest : public WaylandDesktopTest {
  protected:
    void SetUp() override {
        windowArguments_ = {"--slow-letters"};
        start(InputPath::gtkModule, {DesktopRehearsal::enabled(kGtkId(), "Fixture")});
    }
};

TEST_F(BusyGtkWindowTest, KeysReadTogetherKeepTheirOrder) {
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    ASSERT_TRUE(window().focus(Field::multi));
    ASSERT_TRUE(rehearsal_->typeKeys("ghbdtn ", 20ms));
    ASSERT_EQ(waitForText(Field::multi, "привет "), "привет ") << rehearsal_->log();
    ASSERT_TRUE(rehearsal_->waitForInputMethod("keyboard-ru", 2s));
    ASSERT_TRUE(rehearsal_->typeKeys("d jryj d vbh\nb ntgthm", 3ms));
    EXPECT_EQ(waitForText(Field::multi, "привет в окно в мир\nи теперь"),
              "привет в окно в мир\nи теперь")
        << rehearsal_->log();
}

// Only through the toolkits' Fcitx5 modules: on Wayland's own text-input path Fcitx5 itself
// sends the keys its Russian layout shares with the compositor's (Space) as keys and the
// others as text, by two ways that can cross at this pace, with or without Plovik.
class TypistThroughFcitx5Test : public CorrectionThroughFcitx5Test {};

// Keys rolled over, Shift around capitals and Return between lines, 5-60 ms apart: every
// word ends as typed or as the simulated application writes the same keys.
TEST_P(TypistThroughFcitx5Test, AtATypistsPaceEveryWordIsAsTypedOrCorrectedWhole) {
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    // Russian typed on the US keys all along, as someone who forgot to switch.
    const auto typed = runBuiltProgram("plovik-correct", {"--convert"}, russianLines(3));
    ASSERT_EQ(typed.status, 0) << typed.err;
    const auto simulated = runBuiltProgram("plovik-correct", {"--app"}, typed.out);
    ASSERT_EQ(simulated.status, 0) << simulated.err;

    ASSERT_TRUE(window().focus(Field::multi));
    ASSERT_TRUE(rehearsal_->typeLikeAPerson(typed.out, 4242 + static_cast<int>(GetParam())));
    std::string field = settledText(Field::multi);
    for (int tries = 0; tries < 10 && field.size() < typed.out.size() / 2; ++tries) {
        field = settledText(Field::multi);
    }

    const TypedWords words(typed.out, simulated.out, field);
    EXPECT_TRUE(words.sameLines()) << words.firstDifference() << "\n" << rehearsal_->log();
    EXPECT_EQ(words.garbledCount(), 0u) << words.firstDifference() << "\n" << rehearsal_->log();
    RecordProperty("corrections_made", static_cast<int>(words.correctionsMade()));
    RecordProperty("corrections_expected", static_cast<int>(words.correctionsExpected()));
}

// Fcitx5 without Plovik's module: plovik --headless names what to install and how to enable
// it, and ends.
TEST(WaylandWithoutTheModule, HeadlessPlovikSaysWhatToInstallAndEnable) {
    if (::access(kKeyboardProgram, F_OK) != 0) {
        GTEST_SKIP() << kKeyboardProgram << " is not built (Wayland's development files)";
    }
    std::optional<WaylandSession> session;
    try {
        session.emplace(WaylandSessionOptions{});
    } catch (const VirtualSessionError& error) {
        if (error.toolMissing()) {
            GTEST_SKIP() << "sway or Fcitx5 is not installed: " << error.what();
        }
        FAIL() << error.what();
    }
    WaylandRehearsal::Options options;
    options.plovik = PLOVIK_BUILD_DIR "/app/plovik";
    options.keyboardProgram = kKeyboardProgram;
    WaylandRehearsal rehearsal(*session, options);
    rehearsal.launchPlovik();
    EXPECT_TRUE(rehearsal.plovik()->waitForExit(15s).has_value()) << rehearsal.log();
    EXPECT_NE(rehearsal.log().find("Plovik works through the Fcitx5 input method framework on "
                                   "this desktop; Fcitx5 is running, but not Plovik's module. "
                                   "Install it (sudo apt install plovik-fcitx5)"),
              std::string::npos)
        << rehearsal.log();
}

INSTANTIATE_TEST_SUITE_P(Modules, TypistThroughFcitx5Test,
                         ::testing::Values(InputPath::gtkModule, InputPath::qtModule),
                         [](const auto& info) { return pathName(info.param); });

}  // namespace
}  // namespace plovik::testing
