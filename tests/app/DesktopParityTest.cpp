// What the real X11 desktop showed, on the simulated desktop: the same flows must give the
// same results on both (the X11 side is tested under Xvfb in the x11 and endtoend tests).
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <utility>

#include "SessionSupport.h"
#include "core/history/CorrectionOutcome.h"
#include "core/replacement/TextReplacementService.h"

namespace plovik {
namespace {

using namespace std::chrono_literals;
using testing::makeSession;

// Presses the keys of the text `gap` apart, as a quick typist does.
void typeWithGap(SimulatedSession& session, std::string_view text, std::chrono::milliseconds gap) {
    for (const auto& stroke : session.strokesOf(text)) {
        session.desktop().pressStroke(stroke);
        session.mainQueue().advance(gap);
    }
}

TEST(DesktopParity, AKeyHeldDownLeavesTheWordUnknown) {
    auto session = makeSession();
    session->type("ghbdt");
    const auto n = session->strokesOf("n").front();
    EXPECT_EQ(session->desktop().holdStroke(n, 4), KeyDisposition::pass);
    session->type(" ");
    session->settle();
    EXPECT_EQ(session->fieldText(), "ghbdtnnnnn ");
    EXPECT_FALSE(session->coordinator().statusMessage().get()) << "nothing was even tried";

    // Held at the start of a word, where the field's end still reads like the word.
    session->type("\n");
    session->settle();
    const auto g = session->strokesOf("g").front();
    session->desktop().holdStroke(g, 3);
    session->type("hbdtn ");
    session->settle();
    EXPECT_EQ(session->fieldText(), "ghbdtnnnnn \ngggghbdtn ");

    // The next word is a word again.
    session->type("vbh ");
    session->settle();
    EXPECT_EQ(session->fieldText(), "ghbdtnnnnn \ngggghbdtn мир ");
}

TEST(DesktopParity, AnApplicationThatShowsKeysLateIsCorrectedOnlyWhenItHasCaughtUp) {
    // It catches up within the delay before a correction: corrected.
    auto quick = makeSession();
    quick->desktop().setApplicationDelay(quick->mainQueue(), 20ms);
    quick->type("ghbdtn ");
    quick->settle();
    EXPECT_EQ(quick->fieldText(), "привет ");

    // It is still behind when the correction looks: the word is given up, nothing is
    // touched, and the keys still arrive in order.
    auto slow = makeSession();
    slow->desktop().setApplicationDelay(slow->mainQueue(), 60ms);
    slow->type("ghbdtn ");
    slow->settle();
    slow->mainQueue().advance(100ms);
    EXPECT_EQ(slow->fieldText(), "ghbdtn ");
    EXPECT_EQ(slow->coordinator().statusMessage().get().value_or("").find("→"), std::string::npos);
}

TEST(DesktopParity, TypingOnWhileACorrectionWaitsKeepsTheNewKeysAfterTheCorrectedWord) {
    auto session = makeSession();
    // 20 ms per key: the next word's first key lands before the 35 ms delay is over.
    typeWithGap(*session, "ghbdtn lheu vjq ", 20ms);
    session->settle();
    EXPECT_EQ(session->fieldText(), "привет lheu мой ");
}

// An application whose correction goes by keystrokes (Backspaces, then the word).
SimulatedSession::Configuration keystrokeApplication() {
    SimulatedSession::Configuration configuration;
    configuration.applicationBundleIdentifier = "firefox-esr";
    return configuration;
}

// A session whose application shows each key 30 ms after the tap saw it.
std::unique_ptr<SimulatedSession> lateSession(SimulatedSession::Configuration configuration) {
    auto session = makeSession(std::move(configuration));
    session->desktop().setApplicationDelay(session->mainQueue(), 30ms);
    return session;
}

// Types the word at the session's pace, then the keys of `next` 20 ms apart.
void typeWordThenTypeOn(SimulatedSession& session, std::string_view word, std::string_view next) {
    session.type(word);
    typeWithGap(session, next, 20ms);
}

// The shortcut's press, for pressing it without letting time pass.
KeyEvent shortcutPress(SimulatedSession& session, const ShortcutDefinition& shortcut) {
    auto event = session.keyEventFor({*shortcut.key(), *shortcut.modifiers()});
    event.modifiers = *shortcut.modifiers();
    return event;
}

// Nothing was changed and nothing claims it was: as when the text before the caret does
// not match.
void expectLeftAsTyped(SimulatedSession& session, const std::string& text,
                       std::size_t soundsBefore = 0) {
    EXPECT_EQ(session.fieldText(), text);
    EXPECT_EQ(session.coordinator().statusMessage().get(),
              TextReplacementService::kCancelledMessage);
    EXPECT_EQ(session.systemServices().playedSounds().size(), soundsBefore);
}

// The next word's first key is typed before the correction and is still on its way to an
// application that shows keys late: Plovik holds the keyboard and waits for the application
// to show what it has. Through accessibility the word is corrected with the key kept after
// it; an application that takes only keys has the key erased with the word and typed again.
// The layout stays: the next word, begun in it, is finished in it and corrected on its own,
// not left in two scripts.
TEST(DesktopParity, AKeyTypedAfterTheWordStaysAfterIt) {
    // Typed on at 20 ms per key: the correction looks at 35 ms, the field shows the space
    // at 30 ms and the next key at 50 ms.
    SimulatedSession::Configuration switching;
    switching.switchInputSourceAfterCorrection = true;
    auto throughAccessibility = lateSession(switching);
    typeWordThenTypeOn(*throughAccessibility, "ghbdtn", " l");
    throughAccessibility->settle();
    throughAccessibility->mainQueue().advance(100ms);
    EXPECT_EQ(throughAccessibility->fieldText(), "привет l");
    EXPECT_TRUE(throughAccessibility->coordinator().canUndoLastCorrection());
    EXPECT_EQ(throughAccessibility->inputSources().currentSourceId(), "xkb:us");
    typeWordThenTypeOn(*throughAccessibility, "jkuj", " ");
    throughAccessibility->settle();
    throughAccessibility->mainQueue().advance(100ms);
    EXPECT_EQ(throughAccessibility->fieldText(), "привет долго ");
    EXPECT_EQ(throughAccessibility->inputSources().currentSourceId(), "xkb:ru");

    auto typedOn = lateSession(keystrokeApplication());
    typeWordThenTypeOn(*typedOn, "ghbdtn", " l");
    typedOn->settle();
    typedOn->mainQueue().advance(100ms);
    EXPECT_EQ(typedOn->fieldText(), "привет l");
    EXPECT_EQ(typedOn->coordinator().lastReplacementMethod().get(),
              TextReplacementMethod::syntheticKeyboard);
    EXPECT_TRUE(typedOn->coordinator().canUndoLastCorrection());

    // The key comes while the correction reads the field, before the keyboard is held: the
    // tap has it, the rest of Plovik has not heard of it yet.
    auto duringTheCheck = lateSession({});
    typeWordThenTypeOn(*duringTheCheck, "ghbdtn", " ");
    const auto l = duringTheCheck->strokesOf("l").front();
    bool pressed = false;
    duringTheCheck->desktop().accessibility().setAccessHook([&](const std::string&) {
        if (!std::exchange(pressed, true)) {
            duringTheCheck->desktop().pressStroke(l);
        }
    });
    duringTheCheck->mainQueue().advance(40ms);
    duringTheCheck->desktop().accessibility().setAccessHook(nullptr);
    ASSERT_TRUE(pressed);
    duringTheCheck->settle();
    duringTheCheck->mainQueue().advance(100ms);
    EXPECT_EQ(duringTheCheck->fieldText(), "привет l");

    // With nothing after it, the same word in the keys-only application is corrected.
    auto keysOnlySwitching = keystrokeApplication();
    keysOnlySwitching.switchInputSourceAfterCorrection = true;
    auto alone = lateSession(keysOnlySwitching);
    typeWordThenTypeOn(*alone, "ghbdtn", " ");
    alone->settle();
    alone->mainQueue().advance(100ms);
    EXPECT_EQ(alone->fieldText(), "привет ");
    EXPECT_EQ(alone->coordinator().lastReplacementMethod().get(),
              TextReplacementMethod::syntheticKeyboard);
    EXPECT_EQ(alone->inputSources().currentSourceId(), "xkb:ru");

    // What the user typed after the word that is not plain text (a Backspace here) may have
    // done anything to it: the word is left as typed.
    auto edited = lateSession(keystrokeApplication());
    edited->type("ghbdtn");
    typeWithGap(*edited, " l", 10ms);
    edited->desktop().pressStroke({Key::backspace, {}});
    edited->settle();
    edited->mainQueue().advance(100ms);
    expectLeftAsTyped(*edited, "ghbdtn ");
    EXPECT_TRUE(edited->desktop().eventPoster().postedEvents().empty());
    EXPECT_FALSE(edited->coordinator().canUndoLastCorrection());
    const auto records = edited->coordinator().historyStore().allRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].outcome, CorrectionOutcome::rejected);
}

// Keys pressed while Plovik edits wait for the edit: here the application would handle them
// with the word selected for replacement, and typing then replaces the selection.
TEST(DesktopParity, KeysPressedDuringAnEditWaitForItAndFollowIt) {
    for (const bool byKeystrokes : {false, true}) {
        auto session =
            lateSession(byKeystrokes ? keystrokeApplication() : SimulatedSession::Configuration{});
        const auto x = session->strokesOf("x").front();
        bool pressed = false;
        // The application handles its input between two requests; here the user's key comes
        // in the middle of the edit.
        session->desktop().accessibility().setAccessHook([&](const std::string& attribute) {
            if (session->desktop().keyboardHolder().isHolding() && !std::exchange(pressed, true)) {
                session->desktop().pressStroke(x);
                session->desktop().catchUp();
            }
            if (attribute == "set selectedText") {
                session->desktop().catchUp();
            }
        });
        typeWordThenTypeOn(*session, "ghbdtn", " l");
        session->settle();
        session->mainQueue().advance(100ms);
        ASSERT_TRUE(pressed) << byKeystrokes;
        // The "l" reached the application before the edit and stays after the corrected
        // word; the "x" comes after everything.
        EXPECT_EQ(session->fieldText(), "привет lx") << byKeystrokes;
    }
}

TEST(DesktopParity, AKeyAfterTheShortcutStopsAManualCorrectionButNotAnUndoByKeystrokes) {
    // Without its delimiter the word went on with the key: it is no longer the word.
    auto manual = lateSession(keystrokeApplication());
    manual->type("ghbdtn");
    manual->mainQueue().advance(100ms);
    EXPECT_EQ(manual->desktop().pressKey(shortcutPress(*manual, ShortcutDefinition::altSpace())),
              KeyDisposition::swallow);
    manual->desktop().pressStroke(manual->strokesOf("l").front());
    manual->settle();
    manual->mainQueue().advance(100ms);
    expectLeftAsTyped(*manual, "ghbdtnl");
    EXPECT_FALSE(manual->coordinator().canUndoLastCorrection());

    auto undo = lateSession(keystrokeApplication());
    undo->type("vbh ");
    undo->settle();
    undo->mainQueue().advance(100ms);
    ASSERT_EQ(undo->fieldText(), "мир ");
    ASSERT_TRUE(undo->coordinator().canUndoLastCorrection());
    EXPECT_EQ(undo->desktop().pressKey(shortcutPress(*undo, ShortcutDefinition::altShiftSpace())),
              KeyDisposition::swallow);
    undo->desktop().pressStroke(undo->strokesOf("d").front());
    undo->settle();
    undo->mainQueue().advance(100ms);
    // The word's delimiter stood between it and the key: the key is typed again after the
    // word put back.
    EXPECT_EQ(undo->fieldText(), "vbh d");
    EXPECT_FALSE(undo->coordinator().canUndoLastCorrection());
    EXPECT_EQ(undo->coordinator().historyStore().allRecords().back().outcome,
              CorrectionOutcome::undone);
}

// A Return Plovik holds back goes on first when the hold ends, so no keystroke can be put
// before it: in an application that takes only keys the word waiting for its correction
// stays as typed, and the Return arrives once. With accessibility the word is corrected.
TEST(DesktopParity, AReturnHeldBackAfterTheWordLeavesAKeystrokeCorrectionUndone) {
    auto keys = lateSession(keystrokeApplication());
    typeWordThenTypeOn(*keys, "ghbdtn", " ");
    EXPECT_EQ(keys->pressReturn(), KeyDisposition::swallow);
    keys->settle();
    keys->mainQueue().advance(100ms);
    EXPECT_EQ(keys->fieldText(), "ghbdtn \n");

    auto accessible = lateSession({});
    typeWordThenTypeOn(*accessible, "ghbdtn", " ");
    EXPECT_EQ(accessible->pressReturn(), KeyDisposition::swallow);
    accessible->settle();
    accessible->mainQueue().advance(100ms);
    EXPECT_EQ(accessible->fieldText(), "привет \n");
}

TEST(DesktopParity, ADeadKeyThenAKeyItDoesNotComposeWithTypesThatKeyAlone) {
    SimulatedSession::Configuration configuration;
    configuration.layoutIds = {"xkb:de", "xkb:us"};
    configuration.typedInId = "xkb:de";
    auto session = makeSession(configuration);
    // The key left of Backspace is a dead acute in German.
    session->pressStroke({Key::equal, {}});
    session->pressStroke({Key::q, {}});
    session->pressStroke({Key::equal, {}});
    session->pressStroke({Key::e, {}});
    session->settle();
    EXPECT_EQ(session->fieldText(), "qé");
}

// Two dead keys that do not compose (acute, then grave) drop both accents, and the key
// after them types alone, as on X11 with Qt and in the key capture (GTK 3 types the
// accents too, and a correction there gives up).
TEST(DesktopParity, TwoDeadKeysThatDoNotComposeDropBothAccents) {
    SimulatedSession::Configuration configuration;
    configuration.layoutIds = {"xkb:de", "xkb:ru"};
    configuration.typedInId = "xkb:de";
    auto session = makeSession(configuration);
    const PhysicalKeyStroke acute{Key::equal, {}};
    const PhysicalKeyStroke grave{Key::equal, {Modifier::shift}};
    session->type("hello ghbdtn");
    session->pressStroke(acute);
    session->pressStroke(grave);
    session->type(" ");
    session->settle();
    // The space ended the word; the accent keys are retyped in Russian with it.
    EXPECT_EQ(session->fieldText(), "hello привет=+ ");

    for (const auto& stroke :
         {acute, grave, PhysicalKeyStroke{Key::e, {}}, acute, grave, grave,
          PhysicalKeyStroke{Key::e, {}}, acute, grave, acute, PhysicalKeyStroke{Key::a, {}}}) {
        session->pressStroke(stroke);
    }
    session->type(" vbh ");
    session->settle();
    EXPECT_EQ(session->fieldText(), "hello привет=+ eèá мир ")
        << "after a dropped accent the next dead key starts afresh";
}

}  // namespace
}  // namespace plovik
