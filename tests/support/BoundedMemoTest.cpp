#include <gtest/gtest.h>

#include <string>

#include "core/support/BoundedMemo.h"

namespace plovik {
namespace {

TEST(BoundedMemo, KeepsWhatIsAskedOftenWithinItsCapacity) {
    BoundedMemo<std::string, int> memo(4);
    EXPECT_EQ(memo.find("often"), nullptr);
    EXPECT_EQ(memo.remember("often", 1), 1);
    for (int i = 0; i < 100; ++i) {
        memo.remember("once" + std::to_string(i), i);
        ASSERT_NE(memo.find("often"), nullptr) << i;
        EXPECT_EQ(*memo.find("often"), 1);
        EXPECT_LE(memo.size(), 4u);
    }
    // Keys asked about once are forgotten in turn.
    EXPECT_EQ(memo.find("once0"), nullptr);
    ASSERT_NE(memo.find("once99"), nullptr);
    EXPECT_EQ(*memo.find("once99"), 99);
    // A key remembered again takes its new value.
    memo.remember("often", 2);
    EXPECT_EQ(*memo.find("often"), 2);
}

}  // namespace
}  // namespace plovik
