#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/simulated/SimulatedKeyCaptureFactory.h"
#include "support/KeyEvents.h"

namespace plovik {
namespace {

using testing::keyEvent;

TEST(SimulatedKeyCaptureFactory, NewestEnabledTapDecidesFirstAndSwallowingStopsTheEvent) {
    SimulatedKeyCaptureFactory taps;
    std::vector<std::string> seen;
    auto older = taps.createTap([&](const KeyEvent& event) {
        seen.push_back("older:" + std::to_string(evdevCode(event.key)));
        return KeyDisposition::pass;
    });
    auto newer = taps.createTap([&](const KeyEvent& event) {
        seen.push_back("newer:" + std::to_string(evdevCode(event.key)));
        return event.key == Key::space ? KeyDisposition::swallow : KeyDisposition::pass;
    });
    ASSERT_TRUE(older && newer);
    EXPECT_EQ(taps.createdTapCount(), 2u);
    EXPECT_EQ(taps.installedTapCount(), 2u);
    EXPECT_FALSE(taps.isTapEnabled()) << "a tap starts disabled";
    EXPECT_EQ(taps.deliver(keyEvent(Key::space, "x")), KeyDisposition::pass);
    EXPECT_TRUE(seen.empty());

    older->setEnabled(true);
    newer->setEnabled(true);
    EXPECT_TRUE(newer->isEnabled());
    EXPECT_EQ(taps.deliver(keyEvent(Key::a, "x")), KeyDisposition::pass);
    EXPECT_EQ(taps.deliver(keyEvent(Key::space, "x")), KeyDisposition::swallow);
    EXPECT_EQ(seen, (std::vector<std::string>{"newer:30", "older:30", "newer:57"}));

    seen.clear();
    newer->setEnabled(false);
    EXPECT_EQ(taps.deliver(keyEvent(Key::space, "x")), KeyDisposition::pass);
    newer.reset();
    EXPECT_EQ(taps.installedTapCount(), 1u);
    older.reset();
    EXPECT_FALSE(taps.isTapInstalled());
    EXPECT_EQ(taps.deliver(keyEvent(Key::space, "x")), KeyDisposition::pass);
    EXPECT_EQ(seen, (std::vector<std::string>{"older:57"}));
    EXPECT_EQ(taps.createdTapCount(), 2u);
}

TEST(SimulatedKeyCaptureFactory, RefusesTapsWithoutInputMonitoring) {
    SimulatedKeyCaptureFactory taps;
    taps.setInputMonitoringGranted(false);
    EXPECT_EQ(taps.createTap([](const KeyEvent&) { return KeyDisposition::swallow; }), nullptr);
    EXPECT_EQ(taps.createdTapCount(), 0u);
    taps.setInputMonitoringGranted(true);
    EXPECT_TRUE(taps.isInputMonitoringGranted());
    EXPECT_NE(taps.createTap([](const KeyEvent&) { return KeyDisposition::swallow; }), nullptr);
    EXPECT_EQ(taps.createTap(nullptr), nullptr) << "a tap without a callback is refused";
}

TEST(SimulatedKeyCaptureFactory, TapsMayBeRemovedOrAddedWhileAnEventIsDelivered) {
    SimulatedKeyCaptureFactory taps;
    std::unique_ptr<KeyCapture> first;
    std::unique_ptr<KeyCapture> second;
    std::unique_ptr<KeyCapture> added;
    int firstCalls = 0;
    first = taps.createTap([&](const KeyEvent&) {
        ++firstCalls;
        return KeyDisposition::pass;
    });
    second = taps.createTap([&](const KeyEvent&) {
        // Removing itself and the other tap, and adding one, mid-delivery.
        second.reset();
        first.reset();
        added = taps.createTap([](const KeyEvent&) { return KeyDisposition::swallow; });
        added->setEnabled(true);
        return KeyDisposition::pass;
    });
    first->setEnabled(true);
    second->setEnabled(true);
    EXPECT_EQ(taps.deliver(keyEvent(Key::a, "x")), KeyDisposition::pass);
    EXPECT_EQ(firstCalls, 0) << "the newer tap removed it before its turn";
    EXPECT_EQ(taps.installedTapCount(), 1u);
    EXPECT_EQ(taps.deliver(keyEvent(Key::a, "x")), KeyDisposition::swallow);
}

// As on X11: the user's presses are numbered whether or not a tap sees them, Plovik's own
// are not, and a swallowed press is known never to reach the application.
TEST(SimulatedKeyCaptureFactory, NumbersTheUsersPressesAndKnowsWhichWereSwallowed) {
    SimulatedKeyCaptureFactory taps;
    EXPECT_EQ(taps.deliver(keyEvent(Key::a, "a")), KeyDisposition::pass);
    EXPECT_EQ(taps.latestPress(), 1u);

    std::vector<KeyPressNumber> seen;
    auto tap = taps.createTap([&](const KeyEvent& event) {
        seen.push_back(event.pressNumber);
        return event.key == Key::enter ? KeyDisposition::swallow : KeyDisposition::pass;
    });
    tap->setEnabled(true);
    KeyEvent own = keyEvent(Key::b, "b");
    own.isOwnEvent = true;
    taps.deliver(own);
    KeyEvent held = keyEvent(Key::b, std::nullopt);
    held.kind = KeyEventKind::keyHeld;
    taps.deliver(held);
    EXPECT_EQ(taps.deliver(keyEvent(Key::enter, "\r")), KeyDisposition::swallow);
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
