#include <signal.h>

#include "gnomedesktop/GnomeDesktopFixture.h"
#include "gnomedesktop/TypistRhythm.h"

namespace plovik::testing {
namespace {

using Field = FixtureWindow::Field;

class CorrectionInGnomeClientTest : public GnomeDesktopTest,
                                    public ::testing::WithParamInterface<GnomeClient> {
  protected:
    void SetUp() override {
        start({DesktopRehearsal::enabled(clientApplicationId(GetParam()), "Fixture")}, GetParam());
    }
};

TEST_P(CorrectionInGnomeClientTest, RussianTypedUnderUsIsCorrectedInPlaceAndTheSourceSwitched) {
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    type("ghbdtn ");
    EXPECT_EQ(waitForText(Field::single, "привет "), "привет ") << rehearsal_->log();
    EXPECT_TRUE(waitForSource("plovik-ru")) << "Russian is selected after the correction";

    // Now Russian is on and the user means English: the same keys type Cyrillic, which
    // the engine deletes in whatever unit the client reads.
    type("hello ");
    EXPECT_EQ(waitForText(Field::single, "привет hello "), "привет hello ") << rehearsal_->log();
    EXPECT_TRUE(waitForSource("plovik-us"));
}

TEST_P(CorrectionInGnomeClientTest, ReturnInAMultiLineAreaAndPasswordFieldsOfBothKinds) {
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    ASSERT_TRUE(window().focus(Field::multi));
    // The Return waits in the engine until the word before it is corrected, and so do
    // the keys after it, which Russian then types.
    type("hello ghbdtn\nckjdj");
    EXPECT_EQ(waitForText(Field::multi, "hello привет\nслово"), "hello привет\nслово")
        << rehearsal_->log();
    EXPECT_EQ(corrections(), 1) << "the correct word stays as typed";

    for (const auto field : {Field::password, Field::secret}) {
        ASSERT_TRUE(rehearsal_->activateSource(0));
        ASSERT_TRUE(waitForSource("plovik-us"));
        ASSERT_TRUE(window().focus(field)) << fixture::fieldName(field);
        type("ghbdtn ");
        EXPECT_EQ(settledText(field), "ghbdtn ") << fixture::fieldName(field);
    }
    EXPECT_EQ(corrections(), 1) << "nothing is read or changed in a password field";
}

TEST_P(CorrectionInGnomeClientTest, ManualCorrectionAndUndoByShortcutNeverReachTheField) {
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    // Alt+Space, once GNOME's window menu gave it up, and Alt+Shift+Space.
    type("ghbdtn");
    std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(keyboard().tap(Key::space, Modifier::alt));
    EXPECT_EQ(waitForText(Field::single, "привет"), "привет") << rehearsal_->log();
    ASSERT_TRUE(keyboard().tap(Key::space, Modifier::alt | Modifier::shift));
    EXPECT_EQ(waitForText(Field::single, "ghbdtn"), "ghbdtn") << rehearsal_->log();
    EXPECT_TRUE(rehearsal_->waitForLog("Restored", 2s)) << rehearsal_->log();
}

INSTANTIATE_TEST_SUITE_P(Clients, CorrectionInGnomeClientTest,
                         ::testing::Values(GnomeClient::gtk3, GnomeClient::gtk4,
                                           GnomeClient::gtk3X11),
                         [](const auto& info) { return clientName(info.param); });

using GnomeFlowTest = GnomeDesktopTest;

EnabledApplication manualOnly(const std::string& id) {
    return EnabledApplication(id, "Fixture", std::nullopt, std::nullopt, true, false, false, true,
                              0.9);
}

TEST_F(GnomeFlowTest, TheLastWordIsCorrectedByHandAfterItsSpace) {
    start({manualOnly(clientApplicationId(GnomeClient::gtk3))}, GnomeClient::gtk3);
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    type("ghbdtn ");
    EXPECT_EQ(settledText(Field::single), "ghbdtn ") << "automatic correction is off";
    ASSERT_TRUE(keyboard().tap(Key::space, Modifier::alt));
    EXPECT_EQ(waitForText(Field::single, "привет "), "привет ") << rehearsal_->log();
}

TEST_F(GnomeFlowTest, AnApplicationNotEnabledIsLeftAlone) {
    start({DesktopRehearsal::enabled("org.example.Other", "Other")}, GnomeClient::gtk3);
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    type("ghbdtn ");
    EXPECT_EQ(settledText(Field::single), "ghbdtn ");
    EXPECT_EQ(corrections(), 0) << rehearsal_->log();
}

TEST_F(GnomeFlowTest, KeysKeepArrivingWhilePlovikIsGoneAndCorrectionsResumeWhenItReturns) {
    start({DesktopRehearsal::enabled(clientApplicationId(GnomeClient::gtk3), "Fixture", false)},
          GnomeClient::gtk3);
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    type("ghbdtn ");
    ASSERT_EQ(waitForText(Field::single, "привет "), "привет ") << rehearsal_->log();
    // Stopped hard in the middle of a word, with nothing to say goodbye.
    type("vb");
    ASSERT_EQ(::kill(rehearsal_->plovik()->pid(), SIGKILL), 0);
    type("h ,scnhj Return\n");
    EXPECT_EQ(waitForText(Field::single, "привет vbh ,scnhj Return"), "привет vbh ,scnhj Return");
    EXPECT_EQ(window().activations(), 1) << "the Return went on once";

    rehearsal_->stopPlovik();
    ASSERT_TRUE(rehearsal_->startPlovik()) << rehearsal_->log();
    ASSERT_TRUE(window().setText(Field::single, ""));
    type("ghbdtn ");
    EXPECT_EQ(waitForText(Field::single, "привет "), "привет ") << rehearsal_->log();
}

TEST_F(GnomeFlowTest, AFastTypistsBurstsLoseAndGarbleNothing) {
    start({DesktopRehearsal::enabled(clientApplicationId(GnomeClient::gtk3), "Fixture", false)},
          GnomeClient::gtk3);
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    ASSERT_TRUE(window().focus(Field::multi));
    const std::vector<std::pair<std::string, std::string>> words{
        {"ghbdtn", "привет"}, {"vbh", "мир"},     {"hello", "hello"},   {"lheu", "друг"},
        {"world", "world"},   {"ntcn", "тест"},   {"ckjdj", "слово"},   {"rfr", "как"},
        {"ltkf", "дела"},     {"today", "today"}, {"ghjcnj", "просто"}, {"yjdsq", "новый"},
        {"ltym", "день"},     {"again", "again"}, {"vjq", "мой"},       {"ljv", "дом"}};
    std::string text;
    for (const auto& [typed, corrected] : words) {
        text += typed + " ";
    }
    TypistRhythm typist(26);
    ASSERT_TRUE(typist.type(keyboard(), text));
    const std::string field = waitForText(Field::multi, "(never)", 1500ms);
    std::string expected;
    std::size_t at = 0;
    for (const auto& [typed, corrected] : words) {
        if (field.compare(at, typed.size() + 1, typed + " ") == 0) {
            at += typed.size() + 1;
        } else if (field.compare(at, corrected.size() + 1, corrected + " ") == 0) {
            at += corrected.size() + 1;
        } else {
            ADD_FAILURE() << "\"" << field << "\" lost or changed \"" << typed << "\"\n"
                          << rehearsal_->log();
            return;
        }
    }
    EXPECT_EQ(at, field.size()) << "\"" << field << "\" has more";
    EXPECT_GE(corrections(), 1) << rehearsal_->log();
}

}  // namespace
}  // namespace plovik::testing
