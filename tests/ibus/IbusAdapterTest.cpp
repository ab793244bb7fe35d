#include <gtest/gtest.h>
#include <ibus.h>

#include "core/replacement/FocusedElementService.h"
#include "core/replacement/ReentrancyGuard.h"
#include "core/replacement/SyntheticKeyboardService.h"
#include "core/replacement/TextReplacementService.h"
#include "core/text/CodePoints.h"
#include "framework/ibus/logic/EditRequest.h"
#include "framework/ibus/logic/GrabList.h"
#include "ibus/FakeEngine.h"
#include "platform/ibus/IbusEngineLink.h"
#include "platform/ibus/IbusFieldAccessibility.h"
#include "platform/ibus/IbusFieldEditor.h"
#include "platform/ibus/IbusKeyCaptureFactory.h"
#include "platform/ibus/IbusKeyInjector.h"
#include "platform/ibus/IbusKeyboardHolder.h"
#include "platform/simulated/SimulatedClock.h"
#include "platform/simulated/SimulatedMainQueue.h"

namespace plovik::testing {
namespace {

using namespace std::chrono_literals;

class StillActiveApplication final : public ActiveApplication {
  public:
    std::optional<RunningApplication> frontmostApplication() const override {
        return RunningApplication{42, std::string("org.example.Chat"), std::string("Chat")};
    }
    std::optional<RunningApplication> runningApplication(std::int32_t process) const override {
        return process == 42 ? frontmostApplication() : std::nullopt;
    }
    Subscription observeActivations(ActivationObserver) override { return {}; }
    bool openUrl(const std::string&) override { return false; }
};

// Plovik's end of the engines against an engine that answers as the test says.
class IbusAdapterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        context_ = g_main_context_new();
        link_ = std::make_unique<IbusEngineLink>(engine_.path(), context_);
        taps_ = std::make_unique<IbusKeyCaptureFactory>(*link_);
        editor_ = std::make_unique<IbusFieldEditor>(*link_, *taps_);
        link_->start();
        ASSERT_TRUE(
            engine_.accept([this](const EngineMessage& message) { return respond(message); }));
        ASSERT_TRUE(iterateUntil(context_, [this] { return link_->isConnected(); }));
    }
    void TearDown() override {
        editor_.reset();
        taps_.reset();
        link_.reset();
        g_main_context_unref(context_);
    }

    // The engine's answers: presses are taken while the test lets them be, edits are
    // done while the field text ends with what Plovik expects.
    std::optional<EngineMessage> respond(const EngineMessage& message) {
        if (message.kind == EngineMessage::Kind::take) {
            return EngineMessage{EngineMessage::Kind::taken,
                                 {std::string(message.text(0)), stillHeld_ ? "yes" : "no"}};
        }
        if (message.kind == EngineMessage::Kind::edit) {
            const auto request = ibus::EditRequest::fromMessage(message);
            const bool matches = request && fieldText_.ends_with(request->expectedBefore);
            return EngineMessage{EngineMessage::Kind::edited,
                                 {std::string(message.text(0)), matches ? "done" : "refused",
                                  matches ? "verified" : "the text differs"}};
        }
        if (message.kind == EngineMessage::Kind::sync) {
            return EngineMessage{EngineMessage::Kind::synced, {std::string(message.text(0))}};
        }
        return std::nullopt;
    }

    void showField(const std::string& text, const char* secret = "open") {
        fieldText_ = text;
        engine_.send(
            {EngineMessage::Kind::field, {"3", "focused", "0", secret, "text", "plovik-us"}});
        const auto cursor = std::to_string(plovik::text::CodePoints::length(text));
        engine_.send({EngineMessage::Kind::text, {"3", cursor, cursor, text, "whole"}});
        ASSERT_TRUE(iterateUntil(context_, [&] {
            return editor_->field() && editor_->field()->text &&
                   editor_->field()->text->text == text;
        }));
    }
    void press(std::uint64_t number, Key key, const std::string& text, const char* disposition,
               Modifiers modifiers = {}) {
        engine_.send({EngineMessage::Kind::press,
                      {std::to_string(number), std::to_string(evdevCode(key)),
                       std::to_string(modifiers.bits()), text, disposition}});
        ASSERT_TRUE(iterateUntil(context_, [&] { return taps_->latestPress() >= number; }));
    }

    FakeEngine engine_;
    GMainContext* context_ = nullptr;
    std::unique_ptr<IbusEngineLink> link_;
    std::unique_ptr<IbusKeyCaptureFactory> taps_;
    std::unique_ptr<IbusFieldEditor> editor_;
    std::atomic<bool> stillHeld_{true};
    std::string fieldText_;
};

TEST_F(IbusAdapterTest, PressesReachTheTapInOrderAndOnlyAskedOnesCanBeSwallowed) {
    std::vector<KeyEvent> seen;
    auto tap = taps_->createTap([&](const KeyEvent& event) {
        seen.push_back(event);
        return event.key == Key::enter && event.takeForSwallowing() ? KeyDisposition::swallow
                                                                    : KeyDisposition::pass;
    });
    tap->setEnabled(true);
    taps_->setShortcuts({ShortcutDefinition(Key::space, Modifier::alt)});
    // Once on connecting, once for the new shortcuts.
    ASSERT_TRUE(iterateUntil(
        context_, [&] { return engine_.received(EngineMessage::Kind::grabs).size() == 2; }));
    const auto grabs =
        ibus::GrabList::fromMessage(engine_.received(EngineMessage::Kind::grabs).back());
    ASSERT_TRUE(grabs);
    EXPECT_TRUE(grabs->matches({' ', 57, IBUS_MOD1_MASK}));
    EXPECT_TRUE(grabs->matches({0xff0d, 28, 0}));

    press(1, Key::g, "g", "passed");
    press(2, Key::enter, "", "asked");
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].text, "g");
    EXPECT_FALSE(seen[0].isSwallowable);
    EXPECT_TRUE(seen[1].isSwallowable);
    ASSERT_TRUE(iterateUntil(
        context_, [&] { return !engine_.received(EngineMessage::Kind::answer).empty(); }));
    EXPECT_EQ(engine_.received(EngineMessage::Kind::answer).back().fields,
              (std::vector<std::string>{"2", "swallow"}));
    EXPECT_FALSE(taps_->hasPressGoneOnSince(1)) << "the swallowed Return never went on";

    // A press the engine let go while Plovik looked at it cannot be taken any more.
    stillHeld_ = false;
    press(3, Key::enter, "", "asked");
    ASSERT_TRUE(iterateUntil(
        context_, [&] { return engine_.received(EngineMessage::Kind::answer).size() == 2; }));
    EXPECT_EQ(engine_.received(EngineMessage::Kind::answer).back().text(1), "pass");
    EXPECT_TRUE(taps_->hasPressGoneOnSince(2));

    engine_.send({EngineMessage::Kind::late, {"4"}});
    press(4, Key::enter, "", "asked");
    EXPECT_FALSE(seen.back().isSwallowable) << "the engine said it went on";
    press(5, Key::a, "a", "held");
    EXPECT_FALSE(taps_->hasPressGoneOnSince(4)) << "a held key reaches the field after the edit";
}

TEST_F(IbusAdapterTest, TheReplacementIsTheEnginesEditOfExactlyTheTextBeforeTheCaret) {
    StillActiveApplication workspace;
    IbusFieldAccessibility accessibility(*link_, *editor_, [] { return std::optional(42); });
    FocusedElementService focused(accessibility, workspace);
    SimulatedClock clock;
    SimulatedMainQueue queue(clock);
    IbusKeyInjector poster(*editor_, queue);
    SyntheticKeyboardService keyboard(poster);
    ReentrancyGuard guard;
    IbusKeyboardHolder holder(*link_, *taps_, poster);
    TextReplacementService replacement(focused, keyboard, guard, *taps_, holder);

    showField("so ghbdtn ");
    const auto done = replacement.replace({"ghbdtn", "привет", " "});
    EXPECT_TRUE(done.succeeded) << done.errorMessage.value_or("");
    const auto edits = engine_.received(EngineMessage::Kind::edit);
    ASSERT_EQ(edits.size(), 1u) << "the engine answered, so it had the request";
    const auto request = ibus::EditRequest::fromMessage(edits[0]);
    EXPECT_EQ(request->expectedBefore, "so ghbdtn ");
    EXPECT_TRUE(request->atTextStart);
    EXPECT_EQ(request->deleteCount, 7u);
    EXPECT_EQ(request->insert, "привет ");

    // The engine finds other text: nothing else is tried, no Backspaces, no second edit.
    showField("so ghbdtn ");
    fieldText_ = "so ghbdtnx";
    const auto refused = replacement.replace({"ghbdtn", "привет", " "});
    EXPECT_FALSE(refused.succeeded);
    queue.runUntilIdle();
    EXPECT_EQ(engine_.received(EngineMessage::Kind::edit).size(), 2u);
}

TEST_F(IbusAdapterTest, WhatPressesTypedIsKnownUntilOneDidSomethingElse) {
    auto tap = taps_->createTap([](const KeyEvent& event) {
        return event.key == Key::enter && event.takeForSwallowing() ? KeyDisposition::swallowAndHold
                                                                    : KeyDisposition::pass;
    });
    tap->setEnabled(true);
    press(1, Key::a, "a", "passed");
    press(2, Key::backspace, "", "passed");
    press(3, Key::leftShift, "", "passed");
    press(4, Key::b, "B", "passed", Modifier::shift);
    press(5, Key::enter, "", "asked");
    ASSERT_TRUE(iterateUntil(
        context_, [&] { return !engine_.received(EngineMessage::Kind::answer).empty(); }));
    EXPECT_EQ(engine_.received(EngineMessage::Kind::answer).back().text(1), "swallow")
        << "the engine withholds the Return until Plovik hands it back";

    EXPECT_EQ(taps_->textTypedBetween(0, 1), "a");
    EXPECT_EQ(taps_->textTypedBetween(2, 5), "B") << "a withheld Return typed nothing yet";
    EXPECT_EQ(taps_->textTypedBetween(5, 5), "");
    EXPECT_FALSE(taps_->textTypedBetween(0, 2)) << "a Backspace edits";
    EXPECT_FALSE(taps_->textTypedBetween(4, 7)) << "presses Plovik never heard of";
}

TEST_F(IbusAdapterTest, KeysTypedAfterTheWordStayBehindItsReplacementInOneEdit) {
    StillActiveApplication workspace;
    IbusFieldAccessibility accessibility(*link_, *editor_, [] { return std::optional(42); });
    FocusedElementService focused(accessibility, workspace);
    SimulatedClock clock;
    SimulatedMainQueue queue(clock);
    IbusKeyInjector poster(*editor_, queue);
    SyntheticKeyboardService keyboard(poster);
    ReentrancyGuard guard;
    IbusKeyboardHolder holder(*link_, *taps_, poster);
    TextReplacementService replacement(focused, keyboard, guard, *taps_, holder);

    press(1, Key::space, " ", "passed");
    press(2, Key::x, "x", "passed");
    showField("so ghbdtn x");
    const auto done = replacement.replace({"ghbdtn", "привет", " "}, 1);
    EXPECT_TRUE(done.succeeded) << done.errorMessage.value_or("");
    const auto request =
        ibus::EditRequest::fromMessage(engine_.received(EngineMessage::Kind::edit).back());
    ASSERT_TRUE(request);
    EXPECT_EQ(request->expectedBefore, "ghbdtn x");
    EXPECT_EQ(request->insert, "привет x");

    // A key that went on once the hold began may fall into the edit: nothing is sent.
    const auto held = holder.hold(std::chrono::milliseconds(500));
    ASSERT_TRUE(held);
    press(3, Key::y, "y", "passed");
    EXPECT_FALSE(held->isHeld());
    EXPECT_FALSE(held->postAhead({{Key::backspace, true, {}, std::nullopt}}));
    EXPECT_EQ(engine_.received(EngineMessage::Kind::edit).size(), 1u);
}

TEST_F(IbusAdapterTest, NoPasswordIsReadAndAFieldWithoutItsTextIsNotEdited) {
    StillActiveApplication workspace;
    IbusFieldAccessibility accessibility(*link_, *editor_, [] { return std::optional(42); });
    FocusedElementService focused(accessibility, workspace);
    showField("ghbdtn ", "secret");
    const auto context = focused.focusedElement();
    ASSERT_TRUE(context);
    EXPECT_TRUE(context->isSecure);
    EXPECT_FALSE(context->element->value().succeeded());
    EXPECT_EQ(context->applicationBundleIdentifier, "org.example.Chat");

    engine_.send(
        {EngineMessage::Kind::field, {"3", "unfocused", "0", "open", "text", "plovik-us"}});
    ASSERT_TRUE(iterateUntil(context_, [&] { return !editor_->field()->focused; }));
    EXPECT_FALSE(focused.focusedElement());
}

TEST_F(IbusAdapterTest, PostedKeysBecomeOneCheckedEditOrAHandedBackReturn) {
    SimulatedClock clock;
    SimulatedMainQueue queue(clock);
    IbusKeyInjector poster(*editor_, queue);
    SyntheticKeyboardService keyboard(poster);
    // "é" as e and a combining accent: one Backspace takes both code points.
    showField("cafe\u0301 ");
    ASSERT_TRUE(keyboard.replace({"cafe\u0301", "кафе", " "}));
    const auto request =
        ibus::EditRequest::fromMessage(engine_.received(EngineMessage::Kind::edit).back());
    EXPECT_EQ(request->expectedBefore, "cafe\u0301 ");
    EXPECT_EQ(request->deleteCount, 6u);
    EXPECT_EQ(request->insert, "кафе ");

    EXPECT_TRUE(keyboard.postKeyStroke(Key::enter, {}));
    queue.runUntilIdle();
    ASSERT_TRUE(iterateUntil(context_,
                             [&] { return !engine_.received(EngineMessage::Kind::post).empty(); }));
    EXPECT_EQ(engine_.received(EngineMessage::Kind::post).back().fields,
              std::vector<std::string>{"28"});
    EXPECT_FALSE(keyboard.postKeyStroke(Key::tab, {})) << "only what the engine can carry out";
}

TEST_F(IbusAdapterTest, EveryEditsRoundTripIsReportedAsTheLongestTheEngineHeldKeys) {
    std::vector<std::chrono::steady_clock::duration> held;
    editor_->observeEdits([&](std::chrono::steady_clock::duration took) { held.push_back(took); });
    showField("so ghbdtn ");
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(editor_->replace(3, "ghbdtn ", false, 7, "привет "));
    EXPECT_TRUE(editor_->replace(3, "nothing like it", false, 4, "x")) << "refused";
    ASSERT_EQ(held.size(), 2u) << "a refused edit held the keys too";
    EXPECT_GT(held[0].count(), 0);
    EXPECT_LE(held[0], std::chrono::steady_clock::now() - before);
}

TEST_F(IbusAdapterTest, AGoneEngineIsNoticedAndNothingIsEditedOnItsWord) {
    showField("ok");
    engine_.hangUp();
    ASSERT_TRUE(iterateUntil(context_, [&] { return !link_->isConnected(); }));
    EXPECT_FALSE(editor_->field()) << "nothing is edited on the word of an engine that is gone";
    EXPECT_TRUE(editor_->replace(3, "ok", false, 2, "да").has_value());
}

}  // namespace
}  // namespace plovik::testing
