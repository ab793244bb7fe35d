#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "SessionSupport.h"
#include "core/history/CorrectionOutcome.h"
#include "core/support/ReferenceDate.h"
#include "support/KeyEvents.h"

namespace plovik {
namespace {

using std::chrono::milliseconds;
using testing::keyEvent;
using testing::kShift;
using testing::makeSession;

// Presses the keys of the text without letting time pass between them.
void pressQuickly(SimulatedSession& session, std::string_view text, milliseconds gap) {
    for (const auto& stroke : session.strokesOf(text)) {
        session.desktop().pressKey(session.keyEventFor(stroke));
        session.mainQueue().advance(gap);
    }
}

// The Returns the application received, the user's own passed on or Plovik's.
std::vector<KeyEvent> returnsReceived(SimulatedSession& session) {
    std::vector<KeyEvent> returns;
    for (const auto& event : session.desktop().keysReceivedByApplications()) {
        if (event.kind == KeyEventKind::keyPress &&
            (event.key == Key::enter || event.key == Key::keypadEnter)) {
            returns.push_back(event);
        }
    }
    return returns;
}

TEST(CorrectionFlow, WrongLayoutWordIsReplacedWithItsDelimiterAndTheLayoutSwitched) {
    SimulatedSession::Configuration configuration;
    configuration.switchInputSourceAfterCorrection = true;
    auto session = makeSession(configuration);
    auto& coordinator = session->coordinator();

    session->type("ghbdtn ");
    session->settle();
    EXPECT_EQ(session->fieldText(), "привет ");
    EXPECT_EQ(session->inputSources().currentSourceId(), "xkb:ru");

    const auto records = coordinator.historyStore().allRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].originalToken, "ghbdtn");
    EXPECT_EQ(records[0].correctedToken, "привет");
    EXPECT_EQ(records[0].applicationBundleIdentifier, "org.plovik.SimulatedEditor");
    EXPECT_EQ(records[0].outcome, CorrectionOutcome::accepted);
    EXPECT_NEAR(records[0].timestamp,
                ReferenceDate::secondsSinceReferenceDate(session->clock().now()), 1.0);

    const auto& last = coordinator.lastCorrection().get();
    ASSERT_TRUE(last);
    EXPECT_EQ(last->recordID, records[0].id);
    EXPECT_EQ(last->original, "ghbdtn");
    EXPECT_EQ(last->corrected, "привет");
    EXPECT_EQ(last->delimiter, " ");
    EXPECT_EQ(last->originalDelimiter, " ");
    EXPECT_EQ(last->sourceLayout.id, "xkb:us");
    EXPECT_EQ(last->targetLayout.id, "xkb:ru");
    EXPECT_TRUE(coordinator.canUndoLastCorrection());
    EXPECT_EQ(coordinator.lastReplacementMethod().get(), TextReplacementMethod::accessibility);
    EXPECT_EQ(coordinator.statusMessage().get(), "ghbdtn → привет (100%)");
    EXPECT_EQ(session->systemServices().playedSounds(), std::vector<std::string>{"Pop"});
    EXPECT_TRUE(session->systemServices().notifications().empty());

    // The same keys now type Russian: nothing left to correct.
    session->type("vbh ");
    session->settle();
    EXPECT_EQ(session->fieldText(), "привет мир ");
    EXPECT_EQ(coordinator.historyStore().allRecords().size(), 1u);
}

TEST(CorrectionFlow, AFailedLayoutSwitchIsShownInsteadOfTheSummary) {
    SimulatedSession::Configuration configuration;
    configuration.switchInputSourceAfterCorrection = true;
    auto session = makeSession(configuration);
    session->inputSources().setSelectionFails(true);
    session->type("ghbdtn ");
    session->settle();
    EXPECT_EQ(session->fieldText(), "привет ");
    EXPECT_EQ(session->inputSources().selectionRequests(), std::vector<std::string>{"xkb:ru"});
    EXPECT_EQ(session->inputSources().currentSourceId(), "xkb:us");
    const auto error = session->coordinator().inputSourceService().lastError();
    ASSERT_TRUE(error);
    EXPECT_EQ(session->coordinator().statusMessage().get(), error->description());
    // The correction itself stands.
    EXPECT_EQ(session->systemServices().playedSounds().size(), 1u);
    EXPECT_TRUE(session->coordinator().canUndoLastCorrection());
}

TEST(CorrectionFlow, WordsOfTheSelectedLayoutAreLeftAlone) {
    auto session = makeSession();
    session->type("hello world, this is fine. ");
    session->settle();
    EXPECT_EQ(session->fieldText(), "hello world, this is fine. ");
    EXPECT_TRUE(session->coordinator().historyStore().allRecords().empty());
    EXPECT_FALSE(session->coordinator().statusMessage().get());
    EXPECT_FALSE(session->coordinator().lastCorrection().get());
    EXPECT_TRUE(session->systemServices().playedSounds().empty());
    EXPECT_EQ(session->coordinator().tokenBuffer().recentContext(), "hello world, this is fine. ");
}

TEST(CorrectionFlow, NothingIsCorrectedWhereCorrectionDoesNotApply) {
    struct Case {
        const char* name;
        bool listsApplication;
        std::function<void(SimulatedSession&)> prepare;
    };
    const std::vector<Case> cases{
        {"application not listed", false, [](SimulatedSession&) {}},
        {"secure field", true,
         [](SimulatedSession& session) {
             session.field()->setRole(AccessibilityRole::passwordText);
         }},
        {"monitoring off", true,
         [](SimulatedSession& session) {
             session.settingsStore().update(
                 [](AppSettings& settings) { settings.monitoringEnabled = false; });
         }},
        {"application disabled", true,
         [](SimulatedSession& session) {
             auto entry = session.settingsStore().settings().applications.front();
             entry.isEnabled = false;
             session.settingsStore().updateApplication(entry);
         }},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        SimulatedSession::Configuration configuration;
        configuration.listsApplication = testCase.listsApplication;
        auto session = makeSession(configuration);
        auto& buffer = session->coordinator().tokenBuffer();
        testCase.prepare(*session);

        session->type("ghbdtn");
        EXPECT_EQ(buffer.currentToken(), "");
        session->type(" ");
        session->settle();
        EXPECT_EQ(session->fieldText(), "ghbdtn ");
        EXPECT_EQ(buffer.recentContext(), "");
        EXPECT_FALSE(buffer.lastCompletion());
        EXPECT_TRUE(session->coordinator().historyStore().allRecords().empty());
        // A Return is never held back there.
        EXPECT_EQ(session->pressReturn(), KeyDisposition::pass);
    }
}

TEST(CorrectionFlow, EveryWordFinishedByOneKeyIsCorrectedInTurn) {
    auto session = makeSession();
    auto& coordinator = session->coordinator();
    session->type("hello");
    // One key press whose text finishes two words, as an input method may deliver.
    KeyEvent event = session->keyEventFor(session->strokesOf(" ").front());
    event.text = " vbh ";
    session->desktop().pressKey(event);
    session->mainQueue().runUntilIdle();
    EXPECT_EQ(session->fieldText(), "hello vbh ");

    session->settle();
    EXPECT_EQ(session->fieldText(), "hello мир ");
    const auto records = coordinator.historyStore().allRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].originalToken, "vbh");
    EXPECT_EQ(records[0].correctedToken, "мир");
}

TEST(CorrectionFlow, ReturnWaitsForTheCorrectionOfTheWordItEnds) {
    auto session = makeSession();
    auto& coordinator = session->coordinator();

    // Nothing typed and nothing pending: the Return goes straight through.
    EXPECT_EQ(session->pressReturn(), KeyDisposition::pass);
    EXPECT_EQ(session->fieldText(), "\n");

    session->type("ghbdtn");
    EXPECT_EQ(session->pressReturn(kShift), KeyDisposition::swallow);
    session->settle();
    EXPECT_EQ(session->fieldText(), "\nпривет\n");
    // The user's own press went on, after the correction.
    auto returns = returnsReceived(*session);
    ASSERT_EQ(returns.size(), 2u);
    EXPECT_FALSE(returns.back().isOwnEvent);
    EXPECT_EQ(returns.back().modifiers, kShift);
    ASSERT_TRUE(coordinator.lastCorrection().get());
    EXPECT_EQ(coordinator.lastCorrection().get()->corrected, "привет");
    // A correction made for a held-back Return cannot be undone.
    EXPECT_FALSE(coordinator.canUndoLastCorrection());
    EXPECT_EQ(session->pressShortcut(ShortcutDefinition::altShiftSpace()), KeyDisposition::pass);

    // Keypad Enter stays keypad Enter.
    session->type(" vbh");
    EXPECT_EQ(session->desktop().pressKey(keyEvent(Key::keypadEnter, "\r", testing::kNumLock)),
              KeyDisposition::swallow);
    session->settle();
    returns = returnsReceived(*session);
    ASSERT_EQ(returns.size(), 3u);
    EXPECT_EQ(returns.back().key, Key::keypadEnter);
    // The passed shortcut typed a space of its own.
    EXPECT_EQ(session->fieldText(), "\nпривет\n  мир\n");
}

TEST(CorrectionFlow, AReturnCorrectsTheWordsStillWaitingFirstThenGoesAheadOfLaterKeys) {
    auto session = makeSession();
    pressQuickly(*session, "hello ", milliseconds(5));
    pressQuickly(*session, "vbh ", milliseconds(5));

    EXPECT_EQ(session->desktop().pressKey(keyEvent(Key::enter, "\r")), KeyDisposition::swallow);
    // The next line's first key, typed before Plovik got to the Return, waits for it.
    session->desktop().pressStroke(session->strokesOf("d").front());
    EXPECT_EQ(session->fieldText(), "hello vbh ");
    session->mainQueue().advance(milliseconds(1));
    // The words still waiting for their correction were done at once, before the Return.
    EXPECT_EQ(session->fieldText(), "hello мир \nd");
    EXPECT_EQ(returnsReceived(*session).size(), 1u);
    session->settle();
    EXPECT_EQ(session->fieldText(), "hello мир \nd");
}

TEST(CorrectionFlow, DeletionsFollowTheWordAndTypedLettersStayUnderstood) {
    auto session = makeSession();
    session->type("ghbdtnn");
    session->pressDelete();
    EXPECT_EQ(session->coordinator().tokenBuffer().currentToken(), "ghbdtn");
    session->type(" ");
    session->settle();
    EXPECT_EQ(session->fieldText(), "привет ");
}

TEST(CorrectionFlow, AWordTheFieldNoLongerShowsIsAbandoned) {
    auto session = makeSession();
    session->type("ghbd");
    // The user clicks elsewhere: the caret moves to the start of the field.
    session->field()->setSelection({0, 0});
    session->type("tn ");
    session->settle();
    EXPECT_EQ(session->fieldText(), "tn ghbd");
    EXPECT_TRUE(session->coordinator().historyStore().allRecords().empty());
}

}  // namespace
}  // namespace plovik

namespace plovik {
namespace {

std::unique_ptr<SimulatedSession> extendedEngineSession() {
    SimulatedSession::Configuration configuration;
    configuration.correctionEngine = CorrectionEngineKind::extended;
    auto created = SimulatedSession::create(configuration);
    auto* session = std::get_if<std::unique_ptr<SimulatedSession>>(&created);
    return session ? std::move(*session) : nullptr;
}

TEST(CorrectionFlow, TheChosenExtendedEngineCorrectsWholeRunsOfKeys) {
    const auto owned = extendedEngineSession();
    ASSERT_TRUE(owned);
    auto& session = *owned;

    session.type("j,kfcnm cj,snbt ");
    session.settle();
    EXPECT_EQ(session.fieldText(), "область событие ");
    EXPECT_EQ(session.coordinator().statusMessage().get(), "cj,snbt → событие (100%)");

    // Back to the standard engine: a comma ends the word again.
    session.settingsStore().update(
        [](AppSettings& settings) { settings.correctionEngine = CorrectionEngineKind::described; });
    session.type("hello, world ");
    session.settle();
    EXPECT_EQ(session.fieldText(), "область событие hello, world ");
}

TEST(CorrectionFlow, AWordTypedRightAfterTheUserSwitchedLayoutsIsTheirChoice) {
    const auto owned = extendedEngineSession();
    ASSERT_TRUE(owned);
    auto& session = *owned;

    // Typed on under US after Russian words Plovik corrected, "b" is a slip for "и"...
    session.type("yf;vbnt rkfdbie b ");
    session.settle();
    EXPECT_EQ(session.fieldText(), "нажмите клавишу и ");
    // ...but typed right after the user switched from Russian, the key named.
    session.inputSources().setCurrentSourceId("xkb:ru");
    session.type("yf;vbnt rkfdbie ");
    session.settle();
    session.inputSources().setCurrentSourceId("xkb:us");
    session.type("b ");
    session.settle();
    EXPECT_EQ(session.fieldText(), "нажмите клавишу и нажмите клавишу b ");
}

}  // namespace
}  // namespace plovik
