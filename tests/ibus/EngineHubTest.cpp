#include <gtest/gtest.h>

#include "framework/ibus/logic/EngineHub.h"
#include "ibus/EngineTestDoubles.h"

namespace plovik::ibus::testing {
namespace {

using namespace std::chrono_literals;

constexpr const char* kShellContext = "/org/freedesktop/IBus/InputContext_2";

class EngineHubTest : public ::testing::Test {
  protected:
    void SetUp() override {
        hub_.receive(GrabList({{Key::enter, {}}}).toMessage());
        peer_.answer = [](const EngineMessage& press) {
            return std::optional<bool>(press.text(1) == "28");
        };
    }

    std::unique_ptr<FieldSession> open(const std::string& engine, FakeField& client) {
        auto session = hub_.open(engine, client);
        client.attach(*session);
        return session;
    }

    // The session focused in the Shell's context, its client showing `text` and saying so.
    void focusWithText(FieldSession& session, FakeField& client, const std::string& text) {
        hub_.focusIn(session, kShellContext, "gnome-shell");
        client.setText(text);
        client.echo();
    }

    // A press and its release through one engine, to the application unless it keeps them.
    static void key(FieldSession& session, FakeField& field, const KeyStroke& stroke) {
        for (const auto& event : {stroke, stroke.released()}) {
            if (!session.processKey(event)) {
                field.type(event);
            }
        }
    }

    ManualTimers timers_;
    FakePeer peer_;
    EngineHub hub_{peer_, timers_};
};

// IBus switches the Shell's one input context from Plovik's US engine to its Russian one
// (the correction's layout switch) while a Return and the key after it are held: the
// Russian engine delivers them, since IBus no longer listens to the US one. IBus focuses
// the first engine of a source without naming the context.
TEST_F(EngineHubTest, KeysHeldWhenIBusSwitchesEnginesGoOnThroughTheNextEngine) {
    FakeField usClient(OffsetUnits::bytes);
    FakeField ruClient(OffsetUnits::bytes);
    auto us = open("plovik-us", usClient);
    hub_.focusIn(*us, kShellContext, "gnome-shell");
    key(*us, usClient, keyFor('\n'));
    key(*us, usClient, keyFor('c'));
    ASSERT_TRUE(usClient.forwarded.empty());

    hub_.focusOut(*us);
    us.reset();
    auto ru = open("plovik-ru", ruClient);
    hub_.focusIn(*ru, "", "gnome-shell");
    EXPECT_TRUE(ruClient.forwarded.empty()) << "the Return still waits for Plovik";

    hub_.receive({EngineMessage::Kind::post, {"28"}});
    ASSERT_EQ(ruClient.forwarded.size(), 4u);
    EXPECT_EQ(ruClient.forwarded[0], keyFor('\n'));
    EXPECT_EQ(ruClient.forwarded[2], keyFor('c'));
    EXPECT_TRUE(usClient.forwarded.empty());
}

// The Shell's client library sends a text only when it differs from the one it sent
// last, to whichever engine: after a switch the new engine would not learn the text
// (and could not undo the correction just made) until the user changed it.
TEST_F(EngineHubTest, AnEngineSwitchedToKnowsTheTextTheClientDoesNotReportAgain) {
    FakeField usClient(OffsetUnits::bytes);
    FakeField ruClient(OffsetUnits::bytes);
    auto us = open("plovik-us", usClient);
    focusWithText(*us, usClient, "привет");
    ruClient.setText("привет");

    hub_.focusOut(*us);
    auto ru = open("plovik-ru", ruClient);
    hub_.focusIn(*ru, "", "gnome-shell");
    const auto told = peer_.last(EngineMessage::Kind::text);
    ASSERT_TRUE(told);
    EXPECT_EQ(told->fields,
              (std::vector<std::string>{std::to_string(ru->id()), "6", "6", "привет", "whole"}));

    hub_.receive(EditRequest{1, ru->id(), hub_.presses().lastPassed(), "привет", true, 6, "ghbdtn"}
                     .toMessage());
    ruClient.echo();
    EXPECT_EQ(peer_.last(EngineMessage::Kind::edited)->text(1), "done");
    EXPECT_EQ(ruClient.text(), "ghbdtn");
}

// Whatever may have changed the text since it was reported keeps it from the next engine.
TEST_F(EngineHubTest, TextThatMayHaveChangedIsNotHandedOver) {
    const std::vector<std::pair<std::string, std::function<void(FieldSession&, FakeField&)>>> cases{
        {"the Shell resets the context as the focus leaves the window",
         [](FieldSession& us, FakeField&) { us.reset(); }},
        {"a key on its way",
         [](FieldSession& us, FakeField& field) { key(us, field, keyFor('a')); }},
        {"a password", [](FieldSession& us, FakeField&) {
             us.setContentType(FieldSession::kPurposePassword, 0);
         }}};
    for (const auto& [name, change] : cases) {
        SCOPED_TRACE(name);
        FakeField usClient(OffsetUnits::bytes);
        FakeField ruClient(OffsetUnits::bytes);
        auto us = open("plovik-us", usClient);
        focusWithText(*us, usClient, "abc");
        change(*us, usClient);
        hub_.focusOut(*us);
        auto ru = open("plovik-ru", ruClient);
        hub_.focusIn(*ru, "", "gnome-shell");
        EXPECT_EQ(peer_.last(EngineMessage::Kind::text)->text(3), "");
        hub_.focusOut(*ru);
    }
}

// Another focus between the two, or a focus long after, is not the same field.
TEST_F(EngineHubTest, OnlyAnEngineFocusedRightAfterTakesTheTextOver) {
    FakeField usClient(OffsetUnits::bytes);
    FakeField otherClient(OffsetUnits::characters);
    FakeField ruClient(OffsetUnits::bytes);
    auto us = open("plovik-us", usClient);
    auto other = open("plovik-us", otherClient);
    auto ru = open("plovik-ru", ruClient);
    focusWithText(*us, usClient, "abc");
    hub_.focusOut(*us);
    hub_.focusIn(*other, "/org/freedesktop/IBus/InputContext_9", "gtk3-im:editor");
    hub_.focusOut(*other);
    hub_.focusIn(*ru, "", "gnome-shell");
    EXPECT_EQ(peer_.last(EngineMessage::Kind::text)->text(3), "");
    hub_.focusOut(*ru);

    focusWithText(*us, usClient, "abc");
    hub_.focusOut(*us);
    timers_.advance(EngineHub::kHandOver + 1ms);
    hub_.focusIn(*ru, kShellContext, "gnome-shell");
    EXPECT_EQ(peer_.last(EngineMessage::Kind::text)->text(3), "");
}

TEST_F(EngineHubTest, KeysNoOtherEngineTakesUpGoOnThroughTheirOwnEngine) {
    FakeField client(OffsetUnits::characters);
    auto session = open("plovik-us", client);
    hub_.focusIn(*session, "/org/freedesktop/IBus/InputContext_7", "gtk3-im:editor");
    key(*session, client, keyFor('\n'));
    hub_.focusOut(*session);
    timers_.advance(EngineHub::kHandOver - 10ms);
    EXPECT_TRUE(client.forwarded.empty());
    timers_.advance(20ms);
    EXPECT_EQ(client.returns(), 1) << "delivered once nobody took it over";
}

TEST_F(EngineHubTest, TheSameEngineFocusedAgainDeliversWhatItHeldAtOnce) {
    FakeField client(OffsetUnits::bytes);
    auto session = open("plovik-us", client);
    hub_.focusIn(*session, kShellContext, "gnome-shell");
    key(*session, client, keyFor('\n'));
    hub_.focusOut(*session);
    hub_.focusIn(*session, kShellContext, "gnome-shell");
    EXPECT_EQ(client.returns(), 1);
}

TEST_F(EngineHubTest, OneFieldHasTheFocusAndEditsGoOnlyToIt) {
    FakeField first(OffsetUnits::bytes);
    FakeField second(OffsetUnits::bytes);
    auto one = open("plovik-us", first);
    auto two = open("plovik-us", second);
    hub_.focusIn(*one, "/context/1", "gtk3-im:a");
    hub_.focusIn(*two, "/context/2", "gtk3-im:b");
    EXPECT_FALSE(one->isFocused()) << "a context that did not say it lost the focus has";
    first.setText("ghbdtn ");
    first.echo();
    hub_.receive(EditRequest{1, one->id(), 0, "ghbdtn ", true, 7, "привет "}.toMessage());
    EXPECT_EQ(peer_.last(EngineMessage::Kind::edited)->text(1), "refused");
    hub_.receive(EditRequest{2, 99, 0, "x", false, 1, "y"}.toMessage());
    EXPECT_EQ(peer_.last(EngineMessage::Kind::edited)->fields,
              (std::vector<std::string>{"2", "refused", "the field is gone"}));
    EXPECT_EQ(first.deletions() + second.deletions(), 0);
}

TEST_F(EngineHubTest, AnswersPloviksQuestionsOutsideAnyWait) {
    hub_.receive({EngineMessage::Kind::sync, {"5"}});
    EXPECT_EQ(peer_.last(EngineMessage::Kind::synced)->fields, std::vector<std::string>{"5"});
    // Asked to take a press no longer waiting: it has gone on.
    hub_.receive({EngineMessage::Kind::take, {"12"}});
    EXPECT_EQ(peer_.last(EngineMessage::Kind::taken)->fields,
              (std::vector<std::string>{"12", "no"}));
    // Malformed requests are dropped without a word.
    const auto before = peer_.sent.size();
    hub_.receive({EngineMessage::Kind::edit, {"x", "1"}});
    hub_.receive({EngineMessage::Kind::grabs, {"28"}});
    EXPECT_EQ(peer_.sent.size(), before);
}

TEST_F(EngineHubTest, PlovikComingTellsItTheFocusedFieldAndGoingLetsHeldReturnsGo) {
    FakeField client(OffsetUnits::bytes);
    auto session = open("plovik-us", client);
    hub_.focusIn(*session, kShellContext, "gnome-shell");
    client.setText("abc");
    client.echo();
    peer_.sent.clear();
    hub_.peerConnected();
    ASSERT_GE(peer_.sent.size(), 3u);
    EXPECT_EQ(peer_.sent[0].kind, EngineMessage::Kind::hello);
    EXPECT_EQ(peer_.last(EngineMessage::Kind::field)->text(1), "focused");
    EXPECT_EQ(peer_.last(EngineMessage::Kind::text)->text(3), "abc");

    key(*session, client, keyFor('\n'));
    EXPECT_EQ(client.returns(), 0);
    peer_.connected = false;
    hub_.peerLost();
    EXPECT_EQ(client.returns(), 1);
}

TEST_F(EngineHubTest, GrabsFromPlovikDecideWhichPressesAreAsked) {
    FakeField client(OffsetUnits::bytes);
    auto session = open("plovik-us", client);
    hub_.focusIn(*session, kShellContext, "gnome-shell");
    hub_.receive(GrabList({{Key::p, Modifier::alt | Modifier::super}}).toMessage());
    peer_.answer = [](const EngineMessage&) { return std::optional<bool>(true); };
    key(*session, client, keyFor('\n'));
    EXPECT_EQ(client.returns(), 1) << "Return is no longer asked about";
    key(*session, client, {'p', 25, IBUS_MOD1_MASK | IBUS_SUPER_MASK | IBUS_LOCK_MASK});
    EXPECT_EQ(peer_.last(EngineMessage::Kind::press)->text(4), "asked")
        << "Caps Lock does not change the combination";
}

}  // namespace
}  // namespace plovik::ibus::testing
