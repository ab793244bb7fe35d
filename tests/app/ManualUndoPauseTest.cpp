#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "SessionSupport.h"
#include "core/history/CorrectionOutcome.h"
#include "core/replacement/TextReplacementService.h"

namespace plovik {
namespace {

using testing::makeSession;

const ShortcutDefinition kManual = ShortcutDefinition::altSpace();
const ShortcutDefinition kUndo = ShortcutDefinition::altShiftSpace();
const ShortcutDefinition kPause = ShortcutDefinition::altSuperP();

void turnOffAutomaticCorrection(SimulatedSession& session) {
    session.settingsStore().update(
        [](AppSettings& settings) { settings.automaticCorrectionEnabled = false; });
}

TEST(ManualCorrection, CorrectsTheCurrentWordOrTheLastFinishedOne) {
    auto session = makeSession();
    auto& coordinator = session->coordinator();

    session->type("ghbdtn");
    EXPECT_EQ(session->pressShortcut(kManual), KeyDisposition::swallow);
    EXPECT_EQ(session->fieldText(), "привет");
    ASSERT_TRUE(coordinator.lastCorrection().get());
    EXPECT_EQ(coordinator.lastCorrection().get()->delimiter, "");
    EXPECT_TRUE(coordinator.canUndoLastCorrection());

    // A common English word is never corrected automatically, but on request it is.
    session->type(" in ");
    session->settle();
    EXPECT_EQ(session->fieldText(), "привет in ");
    EXPECT_EQ(session->pressShortcut(kManual), KeyDisposition::swallow);
    EXPECT_EQ(session->fieldText(), "привет шт ");

    turnOffAutomaticCorrection(*session);
    session->type("vbh ");
    session->settle();
    EXPECT_EQ(session->fieldText(), "привет шт vbh ");
    EXPECT_EQ(session->pressShortcut(kManual), KeyDisposition::swallow);
    EXPECT_EQ(session->fieldText(), "привет шт мир ");

    const auto records = coordinator.historyStore().allRecords();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[2].originalToken, "vbh");
    EXPECT_EQ(records[2].outcome, CorrectionOutcome::accepted);
}

TEST(ManualCorrection, ShortcutReachesTheApplicationWhereItDoesNotApply) {
    SimulatedSession::Configuration configuration;
    configuration.listsApplication = false;
    auto session = makeSession(configuration);
    session->type("ghbdtn");
    EXPECT_EQ(session->pressShortcut(kManual), KeyDisposition::pass);

    // The per-application switch is honoured too.
    auto listed = makeSession();
    turnOffAutomaticCorrection(*listed);
    auto entry = listed->settingsStore().settings().applications.front();
    entry.manualCorrectionEnabled = false;
    listed->settingsStore().updateApplication(entry);
    listed->type("ghbdtn");
    EXPECT_EQ(listed->pressShortcut(kManual), KeyDisposition::pass);
    EXPECT_TRUE(listed->coordinator().historyStore().allRecords().empty());
}

TEST(Undo, RestoresTheTypedWordDelimiterAndLayoutOnce) {
    SimulatedSession::Configuration configuration;
    configuration.switchInputSourceAfterCorrection = true;
    auto session = makeSession(configuration);
    auto& coordinator = session->coordinator();
    session->type("ghbdtn?");
    session->settle();
    // The question mark's key types a comma in Russian.
    EXPECT_EQ(session->fieldText(), "привет,");
    EXPECT_EQ(session->inputSources().currentSourceId(), "xkb:ru");

    EXPECT_EQ(session->pressShortcut(kUndo), KeyDisposition::swallow);
    EXPECT_EQ(session->fieldText(), "ghbdtn?");
    EXPECT_EQ(session->inputSources().currentSourceId(), "xkb:us");
    EXPECT_EQ(coordinator.statusMessage().get(), "Restored “ghbdtn”.");
    EXPECT_FALSE(coordinator.lastCorrection().get());
    EXPECT_EQ(coordinator.lastReplacementMethod().get(), TextReplacementMethod::accessibility);
    const auto records = coordinator.historyStore().allRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].outcome, CorrectionOutcome::undone);

    // Nothing left: the shortcut goes to the application.
    EXPECT_FALSE(coordinator.canUndoLastCorrection());
    EXPECT_EQ(session->pressShortcut(kUndo), KeyDisposition::pass);
}

TEST(Undo, OnlyInTheApplicationThatWasCorrected) {
    auto session = makeSession();
    auto& coordinator = session->coordinator();
    session->type("ghbdtn ");
    session->settle();
    ASSERT_EQ(session->fieldText(), "привет ");

    testing::activateOtherApplication(*session, "note ");
    EXPECT_FALSE(coordinator.canUndoLastCorrection());
    EXPECT_EQ(session->pressShortcut(kUndo), KeyDisposition::pass);
    coordinator.undoLastCorrection();
    EXPECT_EQ(session->fieldText(), "привет ");

    session->desktop().activate(SimulatedSession::kApplicationProcessIdentifier);
    EXPECT_EQ(session->pressShortcut(kUndo), KeyDisposition::swallow);
    EXPECT_EQ(session->fieldText(), "ghbdtn ");
    EXPECT_EQ(coordinator.historyStore().allRecords().front().outcome, CorrectionOutcome::undone);
}

TEST(Undo, FailsVisiblyWhenTheTextHasMovedOn) {
    auto session = makeSession();
    auto& coordinator = session->coordinator();
    session->type("ghbdtn ");
    session->settle();
    session->field()->insertText("x");

    coordinator.undoLastCorrection();
    EXPECT_EQ(session->fieldText(), "привет x");
    EXPECT_EQ(coordinator.statusMessage().get(), TextReplacementService::kCancelledMessage);
    EXPECT_EQ(coordinator.historyStore().allRecords().front().outcome, CorrectionOutcome::accepted);
    EXPECT_TRUE(coordinator.lastCorrection().get());
    EXPECT_TRUE(coordinator.canUndoLastCorrection());
}

TEST(Pause, StopsCorrectionsForFifteenMinutesOrUntilResumed) {
    auto session = makeSession();
    auto& coordinator = session->coordinator();
    int changes = 0;
    const auto observation = coordinator.observeChanges([&] { ++changes; });

    session->type("ghbd");
    const auto pausedAt = session->clock().now();
    EXPECT_EQ(session->pressShortcut(kPause), KeyDisposition::swallow);
    EXPECT_TRUE(coordinator.isPaused());
    EXPECT_FALSE(coordinator.isActive());
    EXPECT_EQ(session->settingsStore().settings().pauseUntil, pausedAt + std::chrono::seconds(900));
    EXPECT_EQ(coordinator.tokenBuffer().currentToken(), "");
    EXPECT_GE(changes, 1);
    EXPECT_TRUE(session->taps().isTapInstalled());

    session->type("tn vbh ");
    session->settle();
    EXPECT_EQ(session->fieldText(), "ghbdtn vbh ");

    EXPECT_EQ(session->pressShortcut(kPause), KeyDisposition::swallow);
    EXPECT_FALSE(coordinator.isPaused());
    EXPECT_FALSE(session->settingsStore().settings().pauseUntil);
    EXPECT_TRUE(coordinator.isActive());
    session->type("ghbdtn ");
    session->settle();
    EXPECT_EQ(session->fieldText(), "ghbdtn vbh привет ");

    // A pause ends by itself.
    coordinator.togglePause();
    session->mainQueue().advance(std::chrono::seconds(899));
    EXPECT_TRUE(coordinator.isPaused());
    session->mainQueue().advance(std::chrono::seconds(2));
    EXPECT_FALSE(coordinator.isPaused());
    session->type("vbh ");
    session->settle();
    EXPECT_EQ(session->fieldText(), "ghbdtn vbh привет мир ");
}

TEST(FailedReplacement, IsRecordedRejectedAndExplained) {
    auto session = makeSession();
    auto& coordinator = session->coordinator();
    session->type("ghbdtn ");
    session->settle();
    const auto kept = coordinator.lastCorrection().get();
    ASSERT_TRUE(kept);

    // Neither accessibility nor keystrokes can do it.
    session->field()->quirks().acceptsSelectionWrites = false;
    session->desktop().eventPoster().setEventCreationBudget(0);
    session->type("vbh ");
    session->settle();

    EXPECT_EQ(session->fieldText(), "привет vbh ");
    const auto records = coordinator.historyStore().allRecords();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].originalToken, "vbh");
    EXPECT_EQ(records[1].outcome, CorrectionOutcome::rejected);
    EXPECT_EQ(coordinator.statusMessage().get(), TextReplacementService::kCancelledMessage);
    EXPECT_EQ(coordinator.lastCorrection().get(), kept);
    EXPECT_TRUE(coordinator.canUndoLastCorrection());
}

}  // namespace
}  // namespace plovik
