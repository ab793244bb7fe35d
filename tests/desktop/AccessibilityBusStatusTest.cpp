#include <gtest/gtest.h>

#include "AtspiDesktop.h"
#include "platform/atspi/AccessibilityBusStatus.h"
#include "platform/virtualsession/BusConnection.h"

namespace plovik::testing {
namespace {

TEST(AccessibilityBusStatus, TrustedOnlyWhileAccessibilityIsOnAndSwitchingItOnSaysSo) {
    std::string whyNot;
    bool toolMissing = false;
    auto* desktop = sharedDesktop(whyNot, toolMissing);
    if (!desktop && toolMissing) {
        GTEST_SKIP() << whyNot;
    }
    ASSERT_TRUE(desktop) << whyNot;
    const auto bus = BusConnection::open(desktop->session.busAddress());
    ASSERT_TRUE(bus);
    const AccessibilityBusStatus status;
    EXPECT_TRUE(status.isReachable());
    EXPECT_TRUE(status.isTrusted());
    EXPECT_EQ(status.enable(), std::nullopt);

    ASSERT_TRUE(bus->setAccessibilityEnabled(false));
    EXPECT_EQ(status.isEnabled(), std::optional(false));
    EXPECT_FALSE(status.isTrusted());
    const auto notice = status.enable();
    ASSERT_TRUE(notice);
    EXPECT_NE(notice->find("Qt"), std::string::npos);
    EXPECT_NE(notice->find("restarted"), std::string::npos);
    EXPECT_EQ(bus->accessibilityEnabled(), std::optional(true));
    EXPECT_TRUE(status.isTrusted());
}

}  // namespace
}  // namespace plovik::testing
