#include <gtest/gtest.h>
#include <signal.h>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "FixtureWindowOnDesktop.h"
#include "platform/atspi/AtspiFocusTracker.h"

namespace plovik::testing {
namespace {

using Field = fixture::Field;
using namespace std::chrono_literals;

using AtspiFocusTrackerTest = FixtureWindowOnDesktop;

TEST_P(AtspiFocusTrackerTest, FollowsFocusFromFieldToField) {
    for (const auto& [field, name] :
         {std::pair{Field::multi, "Multi line"}, std::pair{Field::password, "Password"},
          std::pair{Field::single, "Single line"}}) {
        const auto focused = focusOn(field, name);
        ASSERT_TRUE(focused) << name;
        EXPECT_EQ(focused->name(), std::optional<std::string>(name));
    }
}

TEST_P(AtspiFocusTrackerTest, RepeatedAndLateEventsDoNotMoveTheFocus) {
    const auto single = focusOn(Field::single, "Single line");
    ASSERT_TRUE(single);
    auto& tracker = *desktop_->tracker;
    const auto frame = single->application().value().children().value().at(0);
    tracker.focusGained(*single);
    tracker.focusGained(*single);
    // A container of the same application said to gain focus too, as Qt does.
    tracker.focusGained(frame);
    const auto reported = tracker.reported();
    ASSERT_TRUE(reported);
    EXPECT_TRUE(reported->sameObject(*single));
    tracker.focusLost(frame);
    auto focused = tracker.focused();
    ASSERT_TRUE(focused);
    EXPECT_TRUE(focused->sameObject(*single));
    // A loss for something else (the old application's, arriving late) changes nothing.
    tracker.focusLost(frame);
    focused = tracker.focused();
    ASSERT_TRUE(focused);
    EXPECT_TRUE(focused->sameObject(*single));
}

TEST_P(AtspiFocusTrackerTest, AnObjectThatNoLongerHasFocusIsNotReported) {
    const auto single = focusOn(Field::single, "Single line");
    ASSERT_TRUE(single);
    const auto multi = focusOn(Field::multi, "Multi line");
    ASSERT_TRUE(multi);
    auto& tracker = *desktop_->tracker;
    // As if the events had been lost: the tracker names a field that is not focused.
    tracker.focusGained(*single);
    // Each step reads the field over AT-SPI, which a loaded machine may time out: never
    // follow an absent answer.
    const auto reported = tracker.reported();
    ASSERT_TRUE(reported);
    EXPECT_TRUE(reported->sameObject(*single));
    EXPECT_FALSE(tracker.focused());
    tracker.focusLost(*single);
    EXPECT_FALSE(tracker.reported());
}

TEST_P(AtspiFocusTrackerTest, AWindowThatLostTheFocusTakesItsFieldAlong) {
    const auto single = focusOn(Field::single, "Single line");
    ASSERT_TRUE(single);
    auto& tracker = *desktop_->tracker;
    const auto frame = single->application().value().children().value().at(0);
    tracker.windowDeactivated(frame);
    EXPECT_FALSE(tracker.reported());
}

// A program with windows of its own (the settings window) would otherwise ask itself,
// and wait until the call times out.
TEST_P(AtspiFocusTrackerTest, TheProgramsOwnWindowsAreNeverTracked) {
    AtspiFocusTracker own(*desktop_->connection, window_->pid());
    const auto single = focusOn(Field::single, "Single line");
    ASSERT_TRUE(single);
    ASSERT_TRUE(focusOn(Field::multi, "Multi line"));
    pumpFor(300ms);
    EXPECT_FALSE(own.reported()) << "its focus events are ignored";
    EXPECT_FALSE(own.focused()) << "and it is not searched for a focus";
    EXPECT_TRUE(desktop_->tracker->focused()) << "while another process sees them";
}

TEST_P(AtspiFocusTrackerTest, FindsAFocusThatNoEventAnnounced) {
    const auto single = focusOn(Field::single, "Single line");
    ASSERT_TRUE(single);
    auto& tracker = *desktop_->tracker;
    // As if the application had switched back without a word: the tracker knows nothing.
    tracker.focusLost(*single);
    ASSERT_FALSE(tracker.reported());
    std::optional<AtspiObject> found;
    EXPECT_TRUE(pumpUntil([&] { return (found = tracker.focused()).has_value(); }, 3000ms));
    ASSERT_TRUE(found);
    EXPECT_TRUE(found->sameObject(*single));
}

TEST_P(AtspiFocusTrackerTest, FollowsFocusIntoAnotherApplicationAndBack) {
    const auto other = GetParam() == Toolkit::gtk ? Toolkit::qt : Toolkit::gtk;
    if (!fixtureBuilt(other)) {
        GTEST_SKIP() << "the " << toolkitName(other) << " fixture was not built";
    }
    const auto first = focusOn(Field::single, "Single line");
    ASSERT_TRUE(first);
    FixtureWindow second(desktop_->session, other);
    ASSERT_TRUE(second.waitUntilReady());
    ASSERT_TRUE(second.focus(Field::multi));
    ASSERT_TRUE(desktop_->waitForFocus(second.pid(), "Multi line"));
    // Qt's field still claims the focus in its inactive window; it must not come back.
    const auto focused = desktop_->tracker->focused();
    EXPECT_TRUE(!focused || !focused->sameObject(*first));
    ASSERT_TRUE(focusOn(Field::password, "Password"));
    // Straight back, with the field that already had the focus inside that application.
    ASSERT_TRUE(second.focus(Field::multi));
    ASSERT_TRUE(desktop_->waitForFocus(second.pid(), "Multi line"));
}

INSTANTIATE_TEST_SUITE_P(Toolkits, AtspiFocusTrackerTest,
                         ::testing::Values(Toolkit::gtk, Toolkit::qt),
                         [](const auto& info) { return toolkitName(info.param); });

// Resumes a stopped process whatever happens in the test.
struct StoppedProcess {
    explicit StoppedProcess(pid_t pid) : pid_(pid) { ::kill(pid_, SIGSTOP); }
    ~StoppedProcess() { ::kill(pid_, SIGCONT); }
    pid_t pid_;
#if defined(__SANITIZE_ADDRESS__)
    // libatspi abandons the pending D-Bus call of a call that timed out; it is not ours to free.
    __lsan::ScopedDisabler abandonedCalls_;
#endif
};

using HungApplicationTest = FixtureWindowOnDesktop;

TEST_P(HungApplicationTest, CallsToAStoppedApplicationFailWithinTheTimeoutThenAtOnce) {
    ASSERT_TRUE(window_->setText(Field::single, "ghbdtn"));
    const auto field = focusOn(Field::single, "Single line");
    ASSERT_TRUE(field);
    ASSERT_TRUE(field->textUnits());
    const auto timeout = desktop_->connection->callTimeout();
    {
        const StoppedProcess stopped(window_->pid());
        auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(field->text());
        const auto first = std::chrono::steady_clock::now() - start;
        // libatspi may wait up to twice its timeout before it gives up.
        EXPECT_LT(first, 2 * timeout + 100ms);
        start = std::chrono::steady_clock::now();
        EXPECT_FALSE(field->deleteText({0, 6}));
        EXPECT_FALSE(field->insertText(0, "привет"));
        EXPECT_FALSE(field->caretOffset());
        EXPECT_LT(std::chrono::steady_clock::now() - start, 20ms);
    }
    // Once it answers again (after the quiet period) it is used again, and it is unharmed.
    EXPECT_TRUE(pumpUntil([&] { return field->text().has_value(); }, 5000ms));
    EXPECT_EQ(field->text(), std::optional<std::string>("ghbdtn"));
    EXPECT_EQ(window_->text(Field::single), std::optional<std::string>("ghbdtn"));
}

TEST_P(HungApplicationTest, AStoppedApplicationDoesNotHoldUpAnother) {
    const auto other = GetParam() == Toolkit::gtk ? Toolkit::qt : Toolkit::gtk;
    if (!fixtureBuilt(other)) {
        GTEST_SKIP() << "the " << toolkitName(other) << " fixture was not built";
    }
    const auto stalled = focusOn(Field::single, "Single line");
    ASSERT_TRUE(stalled);
    FixtureWindow second(desktop_->session, other);
    ASSERT_TRUE(second.waitUntilReady());
    ASSERT_TRUE(second.setText(Field::single, "vbh"));
    ASSERT_TRUE(second.focus(Field::single));
    const auto running = desktop_->waitForFocus(second.pid(), "Single line");
    ASSERT_TRUE(running);
    const StoppedProcess stopped(window_->pid());
    EXPECT_FALSE(stalled->text());
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(running->deleteText({0, 3}));
    ASSERT_TRUE(running->insertText(0, "мир"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 50ms);
    EXPECT_EQ(second.text(Field::single), std::optional<std::string>("мир"));
}

INSTANTIATE_TEST_SUITE_P(Toolkits, HungApplicationTest,
                         ::testing::Values(Toolkit::gtk, Toolkit::qt),
                         [](const auto& info) { return toolkitName(info.param); });

}  // namespace
}  // namespace plovik::testing
