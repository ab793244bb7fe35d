#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "SessionSupport.h"
#include "core/history/CorrectionOutcome.h"
#include "core/replacement/SelectionConverterService.h"
#include "core/replacement/TextReplacementService.h"
#include "core/tokens/TypedPhrase.h"

namespace plovik {
namespace {

using namespace std::chrono_literals;
using testing::makeSession;

const ShortcutDefinition kConvert = ShortcutDefinition::altSuperC();
const ShortcutDefinition kUndo = ShortcutDefinition::altShiftSpace();

void select(SimulatedSession& session, const std::string& text, TextRange selection) {
    session.field()->setText(text);
    ASSERT_TRUE(session.field()->setSelection(selection));
}

void turnOffAutomaticCorrection(SimulatedSession& session) {
    session.settingsStore().update(
        [](AppSettings& settings) { settings.automaticCorrectionEnabled = false; });
}

TEST(SelectionConversion, TheSelectionIsConvertedSelectedAndConvertedBackByTheSameShortcut) {
    auto session = makeSession();
    auto& coordinator = session->coordinator();
    select(*session, "say Ghbdtn? rfr ltkf& now", {4, 17});

    EXPECT_EQ(session->pressShortcut(kConvert), KeyDisposition::swallow);
    EXPECT_EQ(session->fieldText(), "say Привет, как дела? now");
    EXPECT_EQ(session->field()->selection(), (TextRange{4, 17}));
    EXPECT_EQ(coordinator.statusMessage().get(),
              "Converted “Ghbdtn? rfr ltkf&” to “Привет, как дела?”.");
    EXPECT_EQ(coordinator.lastReplacementMethod().get(), TextReplacementMethod::accessibility);
    ASSERT_TRUE(coordinator.lastCorrection().get());
    EXPECT_EQ(coordinator.lastCorrection().get()->corrected, "Привет, как дела?");

    EXPECT_EQ(session->pressShortcut(kConvert), KeyDisposition::swallow);
    EXPECT_EQ(session->fieldText(), "say Ghbdtn? rfr ltkf& now");
    EXPECT_EQ(session->field()->selection(), (TextRange{4, 17}));

    // A mixed selection: each run turns round.
    select(*session, "Привет, rfr ltkf&", {0, 17});
    EXPECT_EQ(session->pressShortcut(kConvert), KeyDisposition::swallow);
    EXPECT_EQ(session->fieldText(), "Ghbdtn? как дела?");
    EXPECT_TRUE(coordinator.historyStore().allRecords().empty()) << "nothing to learn from";
}

TEST(SelectionConversion, UndoPutsTheOriginalBackSelectedAndTheLayoutItWasIn) {
    SimulatedSession::Configuration configuration;
    configuration.switchInputSourceAfterCorrection = true;
    auto session = makeSession(configuration);
    auto& coordinator = session->coordinator();
    select(*session, "Ghbdtn? rfr ltkf&", {0, 17});
    ASSERT_EQ(session->pressShortcut(kConvert), KeyDisposition::swallow);
    EXPECT_EQ(session->inputSources().currentSourceId(), "xkb:ru");
    EXPECT_TRUE(coordinator.canUndoLastCorrection());

    EXPECT_EQ(session->pressShortcut(kUndo), KeyDisposition::swallow);
    EXPECT_EQ(session->fieldText(), "Ghbdtn? rfr ltkf&");
    EXPECT_EQ(session->field()->selection(), (TextRange{0, 17}));
    EXPECT_EQ(session->inputSources().currentSourceId(), "xkb:us");
    EXPECT_EQ(coordinator.statusMessage().get(), "Restored “Ghbdtn? rfr ltkf&”.");
    EXPECT_FALSE(coordinator.lastCorrection().get());
    EXPECT_FALSE(coordinator.canUndoLastCorrection());

    // From the menu, with the caret moved elsewhere meanwhile.
    ASSERT_EQ(session->pressShortcut(kConvert), KeyDisposition::swallow);
    session->field()->setSelection({17, 0});
    coordinator.undoLastCorrection();
    EXPECT_EQ(session->fieldText(), "Ghbdtn? rfr ltkf&");
    EXPECT_TRUE(coordinator.historyStore().allRecords().empty());
}

TEST(SelectionConversion, WithoutASelectionThePhraseJustTypedIsConvertedAndBack) {
    auto session = makeSession();
    turnOffAutomaticCorrection(*session);
    session->type("Ghbdtn? rfr ltkf&");
    session->settle();
    ASSERT_EQ(session->fieldText(), "Ghbdtn? rfr ltkf&");

    EXPECT_EQ(session->pressShortcut(kConvert), KeyDisposition::swallow);
    EXPECT_EQ(session->fieldText(), "Привет, как дела?");
    EXPECT_EQ(session->field()->selection(), (TextRange{17, 0})) << "typing goes on after it";
    EXPECT_EQ(session->pressShortcut(kConvert), KeyDisposition::swallow);
    EXPECT_EQ(session->fieldText(), "Ghbdtn? rfr ltkf&");
    EXPECT_EQ(session->pressShortcut(kConvert), KeyDisposition::swallow);
    EXPECT_EQ(session->pressShortcut(kUndo), KeyDisposition::swallow);
    EXPECT_EQ(session->fieldText(), "Ghbdtn? rfr ltkf&");

    // After a pause only what was typed since counts.
    session->type(" ");
    session->mainQueue().advance(TypedPhrase::kPause + 1s);
    session->type("vbh ");
    EXPECT_EQ(session->pressShortcut(kConvert), KeyDisposition::swallow);
    EXPECT_EQ(session->fieldText(), "Ghbdtn? rfr ltkf& мир ");
}

TEST(SelectionConversion, ThePhraseStopsAtTheWordPlovikCorrected) {
    auto session = makeSession();
    session->type("ghbdtn ");
    session->settle();
    ASSERT_EQ(session->fieldText(), "привет ");
    // The rest goes uncorrected; converting it must not turn the corrected word back.
    turnOffAutomaticCorrection(*session);
    session->type("rfr ltkf");
    session->settle();
    ASSERT_EQ(session->fieldText(), "привет rfr ltkf");
    EXPECT_EQ(session->pressShortcut(kConvert), KeyDisposition::swallow);
    EXPECT_EQ(session->fieldText(), "привет как дела");
}

// Pressed right after the space that ends a word, before that word's correction has run.
TEST(SelectionConversion, AWordWaitingForItsCorrectionIsCorrectedFirst) {
    auto session = makeSession();
    session->type("ghbdtn");
    session->desktop().pressKey(session->keyEventFor({Key::space, {}}));
    session->mainQueue().runUntilIdle();
    ASSERT_EQ(session->coordinator().pendingAutomaticCorrectionCount(), 1);
    EXPECT_EQ(session->pressShortcut(kConvert), KeyDisposition::swallow);
    session->settle();
    // The correction has its word, and the phrase after it is empty: nothing to convert.
    EXPECT_EQ(session->fieldText(), "привет ");
    const auto records = session->coordinator().historyStore().allRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].outcome, CorrectionOutcome::accepted);
    EXPECT_NE(session->coordinator().statusMessage().get(),
              TextReplacementService::kCancelledMessage);
}

TEST(SelectionConversion, SecretFieldsAndOtherApplicationsGetTheShortcutAsTyped) {
    auto session = makeSession();
    select(*session, "ghbdtn", {0, 6});
    session->field()->setRole(AccessibilityRole::passwordText);
    EXPECT_EQ(session->pressShortcut(kConvert), KeyDisposition::pass);
    EXPECT_EQ(session->fieldText(), "ghbdtn");
    session->coordinator().convertSelection();
    EXPECT_EQ(session->fieldText(), "ghbdtn") << "nor from the menu";

    auto other = testing::activateOtherApplication(*session, "ghbdtn");
    other->setSelection({0, 6});
    EXPECT_EQ(session->pressShortcut(kConvert), KeyDisposition::pass);
    EXPECT_EQ(other->text(), "ghbdtn");
}

TEST(SelectionConversion, ASelectionChangedWhileItIsReadIsLeftAlone) {
    auto session = makeSession();
    select(*session, "ghbdtn vbh", {0, 6});
    int rangeReads = 0;
    session->desktop().accessibility().setAccessHook([&](const std::string& attribute) {
        // The user drags the selection on while Plovik reads it.
        if (attribute == "selectedTextRange" && ++rangeReads == 2) {
            session->field()->setSelection({0, 10});
        }
    });
    EXPECT_EQ(session->pressShortcut(kConvert), KeyDisposition::swallow);
    session->desktop().accessibility().setAccessHook({});
    EXPECT_EQ(session->fieldText(), "ghbdtn vbh");
    EXPECT_EQ(session->coordinator().statusMessage().get(),
              SelectionConverterService::kChangedMessage);
    EXPECT_FALSE(session->coordinator().canUndoLastCorrection());
}

TEST(SelectionConversion, AnyTwoLayoutsWithTheirDeadKeysAndNoneWithOnlyOne) {
    SimulatedSession::Configuration configuration;
    configuration.layoutIds = {"xkb:de", "xkb:us"};
    configuration.typedInId = "xkb:de";
    auto session = makeSession(configuration);
    select(*session, "Übung é", {0, 7});
    EXPECT_EQ(session->pressShortcut(kConvert), KeyDisposition::swallow);
    EXPECT_EQ(session->fieldText(), "{bung =e");
    EXPECT_EQ(session->pressShortcut(kConvert), KeyDisposition::swallow);
    EXPECT_EQ(session->fieldText(), "Übung é");

    configuration.layoutIds = {"xkb:us"};
    configuration.typedInId = "xkb:us";
    auto single = makeSession(configuration);
    select(*single, "ghbdtn", {0, 6});
    EXPECT_EQ(single->pressShortcut(kConvert), KeyDisposition::swallow);
    EXPECT_EQ(single->fieldText(), "ghbdtn");
    EXPECT_EQ(single->coordinator().statusMessage().get(),
              SelectionConversionFlow::kNeedsTwoLayoutsMessage);
}

}  // namespace
}  // namespace plovik
