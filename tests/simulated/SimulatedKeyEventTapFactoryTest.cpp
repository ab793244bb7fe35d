#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/simulated/SimulatedKeyEventTapFactory.h"
#include "support/KeyEvents.h"

namespace plovik {
namespace {

using testing::keyEvent;

TEST(SimulatedKeyEventTapFactory, NewestEnabledTapDecidesFirstAndSwallowingStopsTheEvent) {
    SimulatedKeyEventTapFactory taps;
    std::vector<std::string> seen;
    auto older = taps.createTap([&](const KeyEvent& event) {
        seen.push_back("older:" + std::to_string(evdevCode(event.key)));
        return TapDisposition::pass;
    });
    auto newer = taps.createTap([&](const KeyEvent& event) {
        seen.push_back("newer:" + std::to_string(evdevCode(event.key)));
        return event.key == Key::space ? TapDisposition::swallow : TapDisposition::pass;
    });
    ASSERT_TRUE(older && newer);
    EXPECT_EQ(taps.createdTapCount(), 2u);
    EXPECT_EQ(taps.installedTapCount(), 2u);
    EXPECT_FALSE(taps.isTapEnabled()) << "a tap starts disabled";
    EXPECT_EQ(taps.deliver(keyEvent(Key::space, "x")), TapDisposition::pass);
    EXPECT_TRUE(seen.empty());

    older->setEnabled(true);
    newer->setEnabled(true);
    EXPECT_TRUE(newer->isEnabled());
    EXPECT_EQ(taps.deliver(keyEvent(Key::a, "x")), TapDisposition::pass);
    EXPECT_EQ(taps.deliver(keyEvent(Key::space, "x")), TapDisposition::swallow);
    EXPECT_EQ(seen, (std::vector<std::string>{"newer:30", "older:30", "newer:57"}));
    KeyEvent notice = keyEvent(Key::space, "x");
    notice.kind = KeyEventKind::tapDisabled;
    EXPECT_EQ(taps.deliver(notice), TapDisposition::pass);
    EXPECT_EQ(seen.size(), 3u) << "taps see key presses only";

    seen.clear();
    newer->setEnabled(false);
    EXPECT_EQ(taps.deliver(keyEvent(Key::space, "x")), TapDisposition::pass);
    newer.reset();
    EXPECT_EQ(taps.installedTapCount(), 1u);
    older.reset();
    EXPECT_FALSE(taps.isTapInstalled());
    EXPECT_EQ(taps.deliver(keyEvent(Key::space, "x")), TapDisposition::pass);
    EXPECT_EQ(seen, (std::vector<std::string>{"older:57"}));
    EXPECT_EQ(taps.createdTapCount(), 2u);
}

TEST(SimulatedKeyEventTapFactory, RefusesTapsWithoutInputMonitoring) {
    SimulatedKeyEventTapFactory taps;
    taps.setInputMonitoringGranted(false);
    EXPECT_EQ(taps.createTap([](const KeyEvent&) { return TapDisposition::swallow; }), nullptr);
    EXPECT_EQ(taps.createdTapCount(), 0u);
    taps.setInputMonitoringGranted(true);
    EXPECT_TRUE(taps.isInputMonitoringGranted());
    EXPECT_NE(taps.createTap([](const KeyEvent&) { return TapDisposition::swallow; }), nullptr);
    EXPECT_EQ(taps.createTap(nullptr), nullptr) << "a tap without a callback is refused";
}

TEST(SimulatedKeyEventTapFactory, SystemDisablingTellsEachEnabledTapWhy) {
    SimulatedKeyEventTapFactory taps;
    std::vector<KeyEventKind> notifications;
    std::unique_ptr<KeyEventTap> tap;
    bool repair = false;
    tap = taps.createTap([&](const KeyEvent& event) {
        notifications.push_back(event.kind);
        if (repair) {
            tap->setEnabled(true);
        }
        return TapDisposition::pass;
    });
    taps.disableTaps();
    EXPECT_TRUE(notifications.empty()) << "a disabled tap hears nothing";
    tap->setEnabled(true);
    taps.disableTaps();
    EXPECT_FALSE(taps.isTapEnabled());
    EXPECT_EQ(taps.deliver(keyEvent(Key::a, "x")), TapDisposition::pass);
    repair = true;
    tap->setEnabled(true);
    taps.disableTaps();
    EXPECT_TRUE(taps.isTapEnabled());
    EXPECT_EQ(notifications,
              (std::vector<KeyEventKind>{KeyEventKind::tapDisabled, KeyEventKind::tapDisabled}));
}

TEST(SimulatedKeyEventTapFactory, TapsMayBeRemovedOrAddedWhileAnEventIsDelivered) {
    SimulatedKeyEventTapFactory taps;
    std::unique_ptr<KeyEventTap> first;
    std::unique_ptr<KeyEventTap> second;
    std::unique_ptr<KeyEventTap> added;
    int firstCalls = 0;
    first = taps.createTap([&](const KeyEvent&) {
        ++firstCalls;
        return TapDisposition::pass;
    });
    second = taps.createTap([&](const KeyEvent&) {
        // Removing itself and the other tap, and adding one, mid-delivery.
        second.reset();
        first.reset();
        added = taps.createTap([](const KeyEvent&) { return TapDisposition::swallow; });
        added->setEnabled(true);
        return TapDisposition::pass;
    });
    first->setEnabled(true);
    second->setEnabled(true);
    EXPECT_EQ(taps.deliver(keyEvent(Key::a, "x")), TapDisposition::pass);
    EXPECT_EQ(firstCalls, 0) << "the newer tap removed it before its turn";
    EXPECT_EQ(taps.installedTapCount(), 1u);
    EXPECT_EQ(taps.deliver(keyEvent(Key::a, "x")), TapDisposition::swallow);
}

// As on X11: the user's presses are numbered whether or not a tap sees them, Plovik's own
// are not, and a swallowed press is known never to reach the application.
TEST(SimulatedKeyEventTapFactory, NumbersTheUsersPressesAndKnowsWhichWereSwallowed) {
    SimulatedKeyEventTapFactory taps;
    EXPECT_EQ(taps.deliver(keyEvent(Key::a, "a")), TapDisposition::pass);
    EXPECT_EQ(taps.latestPress(), 1u);

    std::vector<KeyPressNumber> seen;
    auto tap = taps.createTap([&](const KeyEvent& event) {
        seen.push_back(event.pressNumber);
        return event.key == Key::enter ? TapDisposition::swallow : TapDisposition::pass;
    });
    tap->setEnabled(true);
    KeyEvent own = keyEvent(Key::b, "b");
    own.isOwnEvent = true;
    taps.deliver(own);
    KeyEvent held = keyEvent(Key::b, std::nullopt);
    held.kind = KeyEventKind::keyHeld;
    taps.deliver(held);
    EXPECT_EQ(taps.deliver(keyEvent(Key::enter, "\r")), TapDisposition::swallow);
    EXPECT_EQ(seen, (std::vector<KeyPressNumber>{0, 0, 2}));
    EXPECT_FALSE(taps.hasPressGoneOnSince(1)) << "only the swallowed Return came since";

    taps.deliver(keyEvent(Key::c, "c"));
    EXPECT_EQ(seen.back(), 3u);
    EXPECT_TRUE(taps.hasPressGoneOnSince(1));
    EXPECT_TRUE(taps.hasPressGoneOnSince(2));
    EXPECT_FALSE(taps.hasPressGoneOnSince(3));
}

}  // namespace
}  // namespace plovik
