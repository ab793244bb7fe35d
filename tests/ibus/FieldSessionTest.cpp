#include <gtest/gtest.h>

#include "framework/ibus/logic/FieldSession.h"
#include "ibus/EngineTestDoubles.h"

namespace plovik::ibus::testing {
namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t kCyrillicEr = 0x6d2;
constexpr std::uint32_t kCyrillicU = 0x6d5;
constexpr std::uint32_t kCyrillicDe = 0x6c4;
constexpr std::uint32_t kCyrillicShcha = 0x6dd;

// A session of GNOME Shell's input context (every Wayland client) in front of a field.
class FieldSessionTest : public ::testing::Test {
  protected:
    explicit FieldSessionTest(OffsetUnits deletions = OffsetUnits::bytes,
                              std::string client = "gnome-shell",
                              OffsetUnits reported = OffsetUnits::bytes)
        : field_(deletions, reported), client_(std::move(client)) {}

    void SetUp() override {
        session_ = std::make_unique<FieldSession>(
            1, "plovik-us", field_, FieldSession::Shared{peer_, presses_, timers_, grabs_, {}});
        field_.attach(*session_);
        session_->focusIn(client_, std::nullopt);
        field_.report();
    }

    // A press and a release, each to the application unless the engine keeps it.
    void key(const KeyStroke& stroke) {
        if (!session_->processKey(stroke)) {
            field_.type(stroke);
        }
        if (!session_->processKey(stroke.released())) {
            field_.type(stroke.released());
        }
    }
    void type(const std::string& text) {
        for (const char character : text) {
            key(keyFor(character));
        }
    }
    void typeRussianHello() {
        for (const auto& stroke :
             {cyrillic(kCyrillicEr, 35), cyrillic(kCyrillicU, 18), cyrillic(kCyrillicDe, 38),
              cyrillic(kCyrillicDe, 38), cyrillic(kCyrillicShcha, 24)}) {
            key(stroke);
        }
        key(keyFor(' '));
    }

    EditRequest replacing(const std::string& expected, std::size_t count,
                          const std::string& insert) const {
        return {++edits_, 1, presses_.latest(), expected, false, count, insert};
    }
    std::string editOutcome() const {
        const auto edited = peer_.last(EngineMessage::Kind::edited);
        return edited ? std::string(edited->text(1)) : "(none)";
    }
    std::string lastReportedText() const {
        const auto text = peer_.last(EngineMessage::Kind::text);
        return text ? std::string(text->text(3)) : "(none)";
    }

    ManualTimers timers_;
    FakePeer peer_;
    PressCounter presses_;
    GrabList grabs_{{{Key::enter, {}}, {Key::space, Modifier::alt}}};
    FakeField field_;
    std::string client_;
    std::unique_ptr<FieldSession> session_;
    mutable std::uint64_t edits_ = 0;
};

TEST_F(FieldSessionTest, PassesKeysOnAndTellsPlovikOfEachWithItsNumberAndText) {
    type("ab");
    field_.echo();
    EXPECT_EQ(field_.text(), "ab");
    const auto presses = peer_.ofKind(EngineMessage::Kind::press);
    ASSERT_EQ(presses.size(), 2u);
    EXPECT_EQ(presses[0].fields, (std::vector<std::string>{"1", "30", "0", "a", "passed"}));
    EXPECT_EQ(presses[1].fields, (std::vector<std::string>{"2", "48", "0", "b", "passed"}));
    EXPECT_EQ(presses_.lastPassed(), 2u);
}

TEST_F(FieldSessionTest, TellsPlovikTheTextAsItWillBeWhileTheClientLagsBehind) {
    type("ghb");
    EXPECT_EQ(lastReportedText(), "ghb") << "the keys on their way are in the text";
    field_.echo();
    EXPECT_EQ(lastReportedText(), "ghb");
    // A change the keys do not explain is taken as the client reports it.
    field_.setText("other");
    field_.echo();
    EXPECT_EQ(lastReportedText(), "other");
}

TEST_F(FieldSessionTest, LeavesTheTextAloneWhenItIsNotWhatPlovikExpects) {
    type("ghbdtn ");
    field_.echo();
    session_->edit(replacing("ghbdtm ", 7, "привет "));
    EXPECT_EQ(editOutcome(), "refused");
    EXPECT_EQ(field_.deletions(), 0);
    EXPECT_EQ(field_.text(), "ghbdtn ");
}

TEST_F(FieldSessionTest, RefusesOnceAKeyTypedAfterTheRequestHasGoneOn) {
    type("ghbdtn ");
    field_.echo();
    const auto request = replacing("ghbdtn ", 7, "привет ");
    type("a");
    field_.echo();
    session_->edit(request);
    EXPECT_EQ(editOutcome(), "refused");
    EXPECT_EQ(field_.text(), "ghbdtn a");
}

TEST_F(FieldSessionTest, WaitsUntilTheFieldShowsTheKeysPassedAndHoldsTheKeysTypedMeanwhile) {
    type("ghbdtn ");
    session_->edit(replacing("ghbdtn ", 7, "привет "));
    EXPECT_EQ(editOutcome(), "(none)") << "the field does not show the word yet";
    type("ab");
    EXPECT_EQ(field_.text(), "ghbdtn ") << "held while the edit waits";
    field_.echoAtOnce(true);
    field_.echo();
    EXPECT_EQ(editOutcome(), "done");
    EXPECT_EQ(field_.text(), "привет ab") << "the held keys follow the replacement";
}

TEST_F(FieldSessionTest, AnEditThatTheFieldNeverCatchesUpWithIsRefusedAndTheKeysGoOn) {
    type("ghbdtn ");
    session_->edit(replacing("ghbdtn ", 7, "привет "));
    type("a");
    timers_.advance(200ms);
    EXPECT_EQ(editOutcome(), "refused");
    EXPECT_EQ(field_.text(), "ghbdtn a");
}

TEST_F(FieldSessionTest, NeverTouchesAFieldThatIsAPasswordByPurposeOrByItsMaskedText) {
    session_->setContentType(FieldSession::kPurposePassword, 0);
    type("ghbdtn ");
    field_.echo();
    EXPECT_EQ(peer_.ofKind(EngineMessage::Kind::press).back().text(3), "");
    session_->edit(replacing("ghbdtn ", 7, "привет "));
    EXPECT_EQ(editOutcome(), "refused");

    session_->setContentType(0, 0);
    field_.setText("\u25CF\u25CF\u25CF");
    field_.echo();
    EXPECT_EQ(peer_.last(EngineMessage::Kind::field)->text(3), "secret");
    EXPECT_EQ(lastReportedText(), "") << "the marks are not sent either";
    type("a");
    EXPECT_EQ(peer_.ofKind(EngineMessage::Kind::press).back().text(3), "");
    EXPECT_EQ(field_.deletions(), 0);
}

TEST_F(FieldSessionTest, AWithheldReturnWaitsForPlovikAndTheKeysAfterItFollowInOrder) {
    peer_.answer = [](const EngineMessage&) { return std::optional<bool>(true); };
    type("ab");
    field_.echo();
    key(keyFor('\n'));
    type("cd");
    EXPECT_EQ(field_.text(), "ab");
    EXPECT_EQ(peer_.ofKind(EngineMessage::Kind::press).back().text(4), "held");
    session_->post(Key::enter);
    EXPECT_EQ(field_.text(), "ab\ncd");
    EXPECT_EQ(field_.returns(), 1);
    // Handed back twice (by a Plovik that had given it up), it still goes on once.
    session_->post(Key::enter);
    EXPECT_EQ(field_.returns(), 1);
}

TEST_F(FieldSessionTest, AWithheldReturnGoesOnByItselfWhenPlovikDoesNotHandItBack) {
    peer_.answer = [](const EngineMessage&) { return std::optional<bool>(true); };
    key(keyFor('\n'));
    type("a");
    timers_.advance(FieldSession::Limits{}.withheldReturn - 10ms);
    EXPECT_EQ(field_.returns(), 0);
    timers_.advance(20ms);
    EXPECT_EQ(field_.text(), "\na");
}

TEST_F(FieldSessionTest, AReturnGoesOnAtOnceWhenPlovikAnswersLateOrIsNotThere) {
    peer_.answer = [](const EngineMessage&) { return std::optional<bool>(); };
    key(keyFor('\n'));
    EXPECT_EQ(field_.returns(), 1);
    EXPECT_EQ(presses_.lastPassed(), 1u);

    peer_.connected = false;
    peer_.answer = [](const EngineMessage&) { return std::optional<bool>(true); };
    key(keyFor('\n'));
    type("a");
    EXPECT_EQ(field_.returns(), 2);
    EXPECT_EQ(field_.text(), "\n\na");
}

TEST_F(FieldSessionTest, PlovikGoingAwayLetsAWithheldReturnGoOn) {
    peer_.answer = [](const EngineMessage&) { return std::optional<bool>(true); };
    key(keyFor('\n'));
    type("a");
    session_->peerLost();
    EXPECT_EQ(field_.text(), "\na");
}

TEST_F(FieldSessionTest, AShortcutPlovikSwallowsNeverReachesTheField) {
    peer_.answer = [](const EngineMessage& press) {
        return std::optional<bool>(press.text(1) == "57");
    };
    type("ghbdtn");
    key({' ', 57, IBUS_MOD1_MASK});
    field_.echo();
    EXPECT_EQ(field_.text(), "ghbdtn");
    EXPECT_EQ(presses_.lastPassed(), 6u) << "the swallowed press never went on";
}

// Deleting Cyrillic through GNOME Shell: GTK 3 reads the count as bytes, GTK 4 as
// characters; X11 clients' input-method modules read characters.
struct DeletionCase {
    const char* name;
    OffsetUnits deletions;
    const char* client;
    OffsetUnits reported;
};

class DeletionUnitsTest : public FieldSessionTest,
                          public ::testing::WithParamInterface<DeletionCase> {
  protected:
    DeletionUnitsTest()
        : FieldSessionTest(GetParam().deletions, GetParam().client, GetParam().reported) {}
};

TEST_P(DeletionUnitsTest, TheWholeWordGoesWhateverUnitTheClientReadsAndTheHeldKeysFollow) {
    field_.echoAtOnce(true);
    type("ok ");
    typeRussianHello();
    session_->edit(replacing("руддщ ", 6, "hello "));
    type("wo");
    field_.echo();
    EXPECT_EQ(editOutcome(), "done");
    EXPECT_EQ(field_.text(), "ok hello wo");
}

TEST_P(DeletionUnitsTest, WithoutAnEchoTheReplacementIsCommittedAfterTheTimeLimit) {
    field_.echoAtOnce(true);
    typeRussianHello();
    field_.echoAtOnce(false);
    session_->edit(replacing("руддщ ", 6, "hello "));
    timers_.advance(FieldSession::Limits{}.echo + 10ms);
    EXPECT_EQ(editOutcome(), "done");
    EXPECT_TRUE(field_.text().ends_with("hello ")) << field_.text();
}

INSTANTIATE_TEST_SUITE_P(Clients, DeletionUnitsTest,
                         ::testing::Values(DeletionCase{"Gtk3Wayland", OffsetUnits::bytes,
                                                        "gnome-shell", OffsetUnits::bytes},
                                           DeletionCase{"Gtk4Wayland", OffsetUnits::characters,
                                                        "gnome-shell", OffsetUnits::bytes},
                                           DeletionCase{"Gtk3X11", OffsetUnits::characters,
                                                        "gtk3-im:fixture",
                                                        OffsetUnits::characters}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace plovik::ibus::testing
