#include <gtest/gtest.h>

#include "platform/x11/X11ExpectedKeys.h"

namespace plovik::testing {
namespace {

constexpr std::uint32_t kReturn = 36, kShift = 50, kA = 38;

// A grabbed key's press is reported by its grab after the raw presses of the keys behind it
// (or not at all, when a hold takes it back): it must not keep them from counting as ours.
TEST(X11ExpectedKeys, AGrabbedKeyNotedInPlaceLetsTheKeysBehindItMatch) {
    X11ExpectedKeys expected;
    expected.beginBatch();
    for (const auto keycode : {kReturn, kShift, kA}) {
        expected.expect(keycode);
    }
    ASSERT_TRUE(expected.isExpectedNext(kReturn));
    expected.notePressInPlace(kReturn, 7);
    EXPECT_EQ(expected.userPressesBeforeBatch(), KeyPressNumber{7});
    EXPECT_TRUE(expected.matchPress(kShift, 8)) << "the raw press after it";
    EXPECT_FALSE(expected.matchGrabbedPress(kA)) << "only a press noted in place";
    EXPECT_TRUE(expected.matchPress(kA, 8));
    EXPECT_EQ(expected.matchedCount(), 3u) << "each counted where its raw press came";

    EXPECT_TRUE(expected.matchGrabbedPress(kReturn));
    EXPECT_FALSE(expected.matchGrabbedPress(kReturn)) << "taken once";
    EXPECT_EQ(expected.pendingCount(), 0u);
}

TEST(X11ExpectedKeys, APressNotedInPlaceThatNeverComesExpiresLikeTheOthers) {
    X11ExpectedKeys expected;
    const auto start = X11ExpectedKeys::Clock::now();
    expected.expect(kReturn, start);
    expected.notePressInPlace(kReturn, 0, start);
    expected.expect(kA, start);
    const auto later = start + X11ExpectedKeys::kLifetime + std::chrono::milliseconds(1);
    EXPECT_FALSE(expected.matchPress(kA, 0, later));
    EXPECT_FALSE(expected.matchGrabbedPress(kReturn, later));
    EXPECT_EQ(expected.pendingCount(), 0u);
}

}  // namespace
}  // namespace plovik::testing
