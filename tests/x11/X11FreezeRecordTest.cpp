#include <gtest/gtest.h>

#include "platform/x11/X11FreezeRecord.h"

namespace plovik {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

TEST(X11FreezeRecord, SummarizesTheFreezesToATenthOfAMillisecond) {
    X11FreezeRecord record;
    EXPECT_FALSE(record.summary()) << "no hold yet";

    // 98 short holds, one of 12.34 ms and one that outlived every step.
    for (int i = 0; i < 98; ++i) {
        record.add(microseconds(1000 + i));
    }
    record.add(microseconds(12340));
    record.add(milliseconds(450));
    const auto summary = record.summary();
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->count, 100u);
    EXPECT_EQ(summary->median, microseconds(1100)) << "the end of the step 1.0-1.1 ms";
    EXPECT_EQ(summary->ninetyNinth, microseconds(12400));
    EXPECT_EQ(summary->longest, milliseconds(450)) << "kept exactly";
}

TEST(X11FreezeRecord, ASingleFreezeIsEveryPercentileAndNoneIsNegative) {
    X11FreezeRecord record;
    record.add(microseconds(-5));
    auto summary = record.summary();
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->median, microseconds(0));
    EXPECT_EQ(summary->longest, microseconds(0));

    X11FreezeRecord one;
    one.add(microseconds(2550));
    summary = one.summary();
    EXPECT_EQ(summary->median, microseconds(2550)) << "never past the longest";
    EXPECT_EQ(summary->ninetyNinth, microseconds(2550));
}

}  // namespace
}  // namespace plovik
