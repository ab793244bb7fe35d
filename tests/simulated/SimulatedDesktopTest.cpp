#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/simulated/SimulatedClock.h"
#include "platform/simulated/SimulatedDesktop.h"
#include "platform/simulated/SimulatedMainQueue.h"
#include "support/KeyEvents.h"

namespace plovik {
namespace {

using testing::keyEvent;

struct DesktopFixture {
    SimulatedDesktop desktop;
    std::shared_ptr<SimulatedApplication> editor = desktop.launch("org.gnome.gedit", "gedit", 7);

    DesktopFixture() { desktop.activate(7); }
};

TEST(SimulatedDesktop, AppliesKeysToTheFocusedFieldAsAToolkitDoes) {
    struct Case {
        std::string name;
        std::string text;
        TextRange selection;
        std::vector<KeyEvent> keys;
        std::string expected;
        TextRange expectedSelection;
        AccessibilityRole role = AccessibilityRole::singleLineText;
    };
    const Case cases[] = {
        {"typing",
         "ab",
         {2, 0},
         {keyEvent(Key::c, "c"), keyEvent(Key::space, " ")},
         "abc ",
         {4, 0}},
        {"typing replaces the selection", "abcd", {1, 2}, {keyEvent(Key::c, "ж")}, "aжd", {2, 0}},
        {"delete removes one character",
         "ab😀",
         {3, 0},
         {keyEvent(Key::backspace, "\x7f")},
         "ab",
         {2, 0}},
        {"delete removes a joined emoji",
         "a👨‍👩‍👧",
         {6, 0},
         {keyEvent(Key::backspace, "\x7f")},
         "a",
         {1, 0}},
        {"delete removes a combined letter",
         "ae\u0301",
         {3, 0},
         {keyEvent(Key::backspace, "\x7f")},
         "a",
         {1, 0}},
        {"delete removes the selection",
         "abcd",
         {1, 2},
         {keyEvent(Key::backspace, "\x7f")},
         "ad",
         {1, 0}},
        {"delete at the start", "ab", {0, 0}, {keyEvent(Key::backspace, "\x7f")}, "ab", {0, 0}},
        {"delete in the middle", "abc", {2, 0}, {keyEvent(Key::backspace, "\x7f")}, "ac", {1, 0}},
        {"arrows move by character",
         "a😀b",
         {3, 0},
         {keyEvent(Key::left, std::nullopt), keyEvent(Key::left, std::nullopt),
          keyEvent(Key::right, std::nullopt)},
         "a😀b",
         {2, 0}},
        {"command and control keys type nothing",
         "ab",
         {2, 0},
         {keyEvent(Key::v, "v", testing::kSuper), keyEvent(Key::a, "a", testing::kControl),
          keyEvent(Key::backspace, "\x7f", testing::kSuper)},
         "ab",
         {2, 0}},
        {"control characters type nothing",
         "ab",
         {2, 0},
         {keyEvent(Key::tab, "\t"), keyEvent(Key::escape, "\x1b"), keyEvent(Key::c, std::nullopt),
          keyEvent(Key::c, "")},
         "ab",
         {2, 0}},
        {"return in a text area",
         "ab",
         {1, 0},
         {keyEvent(Key::enter, "\r")},
         "a\nb",
         {2, 0},
         AccessibilityRole::multiLineText},
        {"return in a text field submits",
         "ab",
         {2, 0},
         {keyEvent(Key::enter, "\r")},
         "ab",
         {2, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DesktopFixture fixture;
        auto field = fixture.desktop.addFocusedTextField(*fixture.editor, c.text, c.role);
        ASSERT_TRUE(field->setSelection(c.selection));
        for (const auto& event : c.keys) {
            EXPECT_EQ(fixture.desktop.pressKey(event), KeyDisposition::pass);
        }
        EXPECT_EQ(field->text(), c.expected);
        EXPECT_EQ(field->selection(), c.expectedSelection);
        EXPECT_EQ(fixture.desktop.keysReceivedByApplications(), c.keys);
    }
    DesktopFixture fixture;
    auto field = fixture.desktop.addFocusedTextField(*fixture.editor, "ab");
    fixture.desktop.pressKey(keyEvent(Key::enter, "\r"));
    EXPECT_EQ(field->submitCount(), 1);
}

TEST(SimulatedDesktop, SendsKeysThroughTheTapFirst) {
    DesktopFixture fixture;
    auto field = fixture.desktop.addFocusedTextField(*fixture.editor, "ab");
    std::vector<KeyEvent> seen;
    auto tap = fixture.desktop.keyEventTapFactory().createTap([&](const KeyEvent& event) {
        seen.push_back(event);
        return event.key == Key::space ? KeyDisposition::swallow : KeyDisposition::pass;
    });
    tap->setEnabled(true);
    EXPECT_EQ(fixture.desktop.pressKey(keyEvent(Key::space, " ", testing::kAlt)),
              KeyDisposition::swallow);
    EXPECT_EQ(fixture.desktop.pressKey(keyEvent(Key::c, "c")), KeyDisposition::pass);
    EXPECT_EQ(field->text(), "abc");
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(fixture.desktop.keysReceivedByApplications(),
              (std::vector<KeyEvent>{keyEvent(Key::c, "c")}));

    // Posted events: key-downs reach the tap marked as our own, with their text.
    seen.clear();
    auto& poster = fixture.desktop.eventPoster();
    for (const bool down : {true, false}) {
        auto event = *poster.createKeyEvent(Key::a, down);
        event.text = "дом";
        poster.post(event);
    }
    auto backspace = *poster.createKeyEvent(Key::backspace, true);
    poster.post(backspace);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(seen[0].isOwnEvent);
    EXPECT_EQ(seen[0].text, "дом");
    EXPECT_EQ(seen[1].text, "\x7f");
    EXPECT_TRUE(seen[1].isOwnEvent);
    EXPECT_EQ(field->text(), "abcдо");
    EXPECT_EQ(poster.postedEvents().size(), 3u);
}

TEST(SimulatedDesktop, CreatesEventsWithTheSessionStateAndItsFailures) {
    SimulatedDesktop desktop;
    auto& poster = desktop.eventPoster();
    poster.setHeldModifiers(testing::kShift);
    auto event = poster.createKeyEvent(Key::h, true);
    ASSERT_TRUE(event.has_value());
    EXPECT_EQ(*event, (SyntheticKeyEvent{Key::h, true, testing::kShift, std::nullopt}));
    poster.setEventCreationBudget(1);
    EXPECT_TRUE(poster.createKeyEvent(Key::h, true).has_value());
    EXPECT_FALSE(poster.createKeyEvent(Key::h, false).has_value());
    poster.setEventCreationBudget(std::nullopt);
    EXPECT_TRUE(poster.createKeyEvent(Key::h, false).has_value());
}

TEST(SimulatedDesktop, AnswersAccessibilityReadsAndWritesWithStatuses) {
    DesktopFixture fixture;
    auto field = fixture.desktop.addFocusedTextField(*fixture.editor, "a😀b");
    // Offsets count code points: the emoji is one.
    EXPECT_EQ(field->numberOfCharacters().value, 3);
    EXPECT_EQ(field->stringForRange({1, 1}).value, "😀");
    EXPECT_EQ(field->stringForRange({0, 2}).value, "a😀");
    EXPECT_EQ(field->stringForRange({1, 2}).value, "😀b");
    EXPECT_EQ(field->stringForRange({2, 2}).status, AccessibilityStatus::illegalArgument);
    EXPECT_EQ(field->stringForRange({-1, 1}).status, AccessibilityStatus::illegalArgument);
    EXPECT_EQ(field->setSelectedTextRange({3, 1}), AccessibilityStatus::illegalArgument);
    EXPECT_EQ(field->setSelectedTextRange({1, 1}), AccessibilityStatus::success);
    EXPECT_EQ(field->selectedText().value, "😀");
    EXPECT_EQ(field->setSelectedText("xy"), AccessibilityStatus::success);
    EXPECT_EQ(field->value().value, "axyb");
    EXPECT_EQ(field->selectedTextRange().value, (TextRange{3, 0}));
    EXPECT_EQ(field->processIdentifier().value, 7);
    EXPECT_EQ(field->isFocused().value, true);

    auto window = fixture.editor->applicationElement()->childElements().front();
    EXPECT_EQ(window->value().status, AccessibilityStatus::attributeUnsupported);
    EXPECT_EQ(window->setSelectedText("x"), AccessibilityStatus::attributeUnsupported);
    EXPECT_EQ(window->isFocused().value, false);
    EXPECT_EQ(window->role().value, AccessibilityRole::other);
    EXPECT_EQ(field->role().value, AccessibilityRole::singleLineText);
    EXPECT_EQ(fixture.editor->applicationElement()->focusedWindow().value, window);
    EXPECT_EQ(fixture.desktop.accessibility().systemWideFocusedElement().value, field);

    fixture.desktop.permissions().setAccessibilityGranted(false);
    EXPECT_EQ(field->value().status, AccessibilityStatus::apiDisabled);
    EXPECT_EQ(field->setSelectedText("z"), AccessibilityStatus::apiDisabled);
    EXPECT_EQ(fixture.desktop.accessibility().systemWideFocusedElement().status,
              AccessibilityStatus::apiDisabled);
    EXPECT_EQ(field->text(), "axyb");
    EXPECT_FALSE(fixture.desktop.accessibility().isProcessTrusted());
    EXPECT_FALSE(fixture.desktop.accessibility().isProcessTrusted(true));
    EXPECT_EQ(fixture.desktop.permissions().accessibilityPromptCount(), 1);
}

TEST(SimulatedDesktop, KeepsElementsSafeAfterTheDesktopIsGone) {
    SimulatedElementRef field;
    {
        DesktopFixture fixture;
        field = fixture.desktop.addFocusedTextField(*fixture.editor, "ab");
    }
    EXPECT_EQ(field->value().status, AccessibilityStatus::cannotComplete);
    EXPECT_EQ(field->setSelectedTextRange({0, 0}), AccessibilityStatus::cannotComplete);
}

TEST(SimulatedDesktop, RunsApplicationsAndNotifiesActivations) {
    SimulatedDesktop desktop;
    std::vector<ApplicationActivation> seen;
    auto subscription = desktop.workspace().observeActivations(
        [&](const ApplicationActivation& activation) { seen.push_back(activation); });
    auto app = desktop.launch("org.gnome.Terminal", "Terminal", 42);
    EXPECT_THROW(desktop.launch("other", "Other", 42), std::invalid_argument);
    EXPECT_FALSE(desktop.workspace().frontmostApplication().has_value());
    EXPECT_FALSE(desktop.activate(43));
    EXPECT_TRUE(desktop.activate(42));
    const RunningApplication terminal{42, "org.gnome.Terminal", "Terminal"};
    EXPECT_EQ(desktop.workspace().frontmostApplication(), terminal);
    EXPECT_EQ(desktop.workspace().runningApplication(42), terminal);
    EXPECT_FALSE(desktop.workspace().runningApplication(43).has_value());
    desktop.workspace().postActivationWithoutApplication();
    EXPECT_EQ(seen, (std::vector<ApplicationActivation>{{terminal}, {std::nullopt}}));
    subscription.cancel();
    desktop.activate(42);
    EXPECT_EQ(seen.size(), 2u);

    // Focus belongs to one element per application and moves the focused window.
    auto second = app->addWindow();
    auto field = app->addTextField(second, "x");
    EXPECT_TRUE(app->focus(field));
    EXPECT_EQ(app->applicationElement()->focusedWindow().value, second);
    auto stranger = desktop.launch("b", "B", 50);
    EXPECT_FALSE(stranger->focus(field));
    EXPECT_EQ(desktop.focusedElement(), field);
    desktop.workspace().terminate(42);
    EXPECT_EQ(desktop.focusedElement(), nullptr);
    EXPECT_EQ(desktop.accessibility().applicationElement(42), nullptr);
}

TEST(SimulatedDesktop, ALateApplicationShowsKeysInOrderAndCanCatchUpAtOnce) {
    DesktopFixture fixture;
    SimulatedClock clock;
    SimulatedMainQueue queue(clock);
    auto field = fixture.desktop.addFocusedTextField(*fixture.editor, "");
    fixture.desktop.setApplicationDelay(queue, std::chrono::milliseconds(30));
    fixture.desktop.pressKey(keyEvent(Key::a, "a"));
    queue.advance(std::chrono::milliseconds(20));
    fixture.desktop.pressKey(keyEvent(Key::b, "b"));
    EXPECT_EQ(field->text(), "");
    queue.advance(std::chrono::milliseconds(10));
    EXPECT_EQ(field->text(), "a");

    // Plovik's keys queue up behind the user's.
    auto backspace = *fixture.desktop.eventPoster().createKeyEvent(Key::backspace, true);
    fixture.desktop.eventPoster().post(backspace);
    fixture.desktop.pressKey(keyEvent(Key::c, "c"));
    fixture.desktop.catchUp();
    EXPECT_EQ(field->text(), "ac");
    // The shows that were due later find nothing left to show.
    queue.advance(std::chrono::milliseconds(100));
    EXPECT_EQ(field->text(), "ac");
    fixture.desktop.pressKey(keyEvent(Key::d, "d"));
    queue.advance(std::chrono::milliseconds(30));
    EXPECT_EQ(field->text(), "acd");
}

}  // namespace
}  // namespace plovik
