#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "platform/simulated/SimulatedMainQueue.h"

namespace plovik {
namespace {

using namespace std::chrono_literals;

TEST(SimulatedMainQueue, RunsTasksInDueOrderUnderVirtualTime) {
    SimulatedClock clock;
    SimulatedMainQueue queue(clock);
    std::vector<int> order;
    queue.postAfter(35ms, [&] { order.push_back(3); });
    queue.post([&] { order.push_back(1); });
    queue.post([&] {
        order.push_back(2);
        queue.post([&] { order.push_back(22); });
    });
    queue.postAfter(10ms, [&] { order.push_back(10); });
    EXPECT_TRUE(order.empty());
    queue.runUntilIdle();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 22}));
    const auto start = clock.now();
    queue.advance(34ms);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 22, 10}));
    queue.advance(1ms);
    EXPECT_EQ(order.back(), 3);
    EXPECT_EQ(clock.now() - start, 35ms);
    EXPECT_EQ(queue.pendingCount(), 0u);

    // A delay in the past is no delay: the task still waits for those posted before it.
    order.clear();
    queue.post([&] { order.push_back(1); });
    queue.postAfter(-5ms, [&] { order.push_back(2); });
    queue.runUntilIdle();
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    // Time never runs backwards, and the far future stays in the future.
    const auto now = clock.now();
    EXPECT_THROW(queue.advance(-1ms), std::invalid_argument);
    EXPECT_EQ(clock.now(), now);
    queue.postAfter(std::chrono::milliseconds::max(), [&] { order.push_back(3); });
    queue.advance(24h);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    queue.advance(std::chrono::nanoseconds::max());
    EXPECT_EQ(clock.now(), TimePoint::max());
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(SimulatedMainQueue, RepeatingTimerFiresUntilInvalidated) {
    SimulatedClock clock;
    SimulatedMainQueue queue(clock);
    int fired = 0;
    auto timer = queue.scheduleRepeating(2000ms, [&] { ++fired; });
    queue.advance(6999ms);
    EXPECT_EQ(fired, 3);
    timer.reset();
    queue.advance(10s);
    EXPECT_EQ(fired, 3);
    bool ran = false;
    queue.runSynchronously([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(queue.isMainThread());
}

}  // namespace
}  // namespace plovik
