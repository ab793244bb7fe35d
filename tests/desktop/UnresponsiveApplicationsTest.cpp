#include <gtest/gtest.h>

#include <thread>

#include "platform/atspi/UnresponsiveApplications.h"

namespace plovik {
namespace {

using namespace std::chrono_literals;
using Clock = UnresponsiveApplications::Clock;

TEST(UnresponsiveApplications, OnlyACallThatRanIntoTheTimeoutSetsAnApplicationAside) {
    UnresponsiveApplications applications(200ms, 1000ms);
    // Refused at once (no such object): the application answered.
    applications.record(":1.5", false, Clock::now());
    EXPECT_FALSE(applications.isQuarantined(":1.5"));
    applications.record(":1.5", false, Clock::now() - 200ms);
    EXPECT_TRUE(applications.isQuarantined(":1.5"));
    EXPECT_FALSE(applications.isQuarantined(":1.6"));
    // An answer ends it.
    applications.record(":1.5", true, Clock::now());
    EXPECT_FALSE(applications.isQuarantined(":1.5"));
}

TEST(UnresponsiveApplications, TheQuietPeriodEnds) {
    UnresponsiveApplications applications(20ms, 30ms);
    applications.record(":1.7", false, Clock::now() - 20ms);
    EXPECT_TRUE(applications.isQuarantined(":1.7"));
    std::this_thread::sleep_for(40ms);
    EXPECT_FALSE(applications.isQuarantined(":1.7"));
}

}  // namespace
}  // namespace plovik
