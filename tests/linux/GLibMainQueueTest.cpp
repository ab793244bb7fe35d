#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/GLibMainQueue.h"

namespace plovik {
namespace {

using namespace std::chrono_literals;

// A private context per test, iterated here as the program's main loop would.
class GLibMainQueueTest : public ::testing::Test {
  protected:
    GLibMainQueueTest()
        : context_(g_main_context_new()), queue_(std::make_unique<GLibMainQueue>(context_)) {}
    ~GLibMainQueueTest() override {
        queue_.reset();
        g_main_context_unref(context_);
    }

    // Iterates until the condition holds or the time is up; false on timeout.
    bool runUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = 2s) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            g_main_context_iteration(context_, FALSE);
            std::this_thread::sleep_for(100us);
        }
        return true;
    }

    void runFor(std::chrono::milliseconds duration) {
        runUntil([] { return false; }, duration);
    }

    GMainContext* context_;
    std::unique_ptr<GLibMainQueue> queue_;
};

TEST_F(GLibMainQueueTest, PostedAndDelayedTasksRunInOrderOnTheLoop) {
    std::vector<std::string> ran;
    queue_->postAfter(30ms, [&] { ran.push_back("late"); });
    queue_->postAfter(10ms, [&] { ran.push_back("soon"); });
    queue_->post([&] {
        ran.push_back("first");
        queue_->post([&] { ran.push_back("posted while running"); });
    });
    queue_->post([&] { ran.push_back("second"); });
    queue_->postAfter(0ms, [&] { ran.push_back("no delay"); });
    EXPECT_TRUE(ran.empty()) << "nothing runs before the loop turns";
    ASSERT_TRUE(runUntil([&] { return ran.size() == 6; }));
    EXPECT_EQ(ran, (std::vector<std::string>{"first", "second", "no delay", "posted while running",
                                             "soon", "late"}));
}

TEST_F(GLibMainQueueTest, DelayedTasksDueTogetherRunByDeadlineThenByPosting) {
    std::vector<std::string> ran;
    queue_->postAfter(30ms, [&] { ran.push_back("late"); });
    queue_->postAfter(10ms, [&] { ran.push_back("soon"); });
    queue_->postAfter(10ms, [&] { ran.push_back("soon, posted later"); });
    // A busy main thread: all three are due by the time the loop turns.
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(runUntil([&] { return ran.size() == 3; }));
    EXPECT_EQ(ran, (std::vector<std::string>{"soon", "soon, posted later", "late"}));
    runFor(20ms);
    EXPECT_EQ(ran.size(), 3u) << "a task that ran early must not run again at its own time";
}

TEST_F(GLibMainQueueTest, DelayedTaskWaitsAtLeastItsDelay) {
    const auto start = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point ranAt;
    queue_->postAfter(40ms, [&] { ranAt = std::chrono::steady_clock::now(); });
    ASSERT_TRUE(runUntil([&] { return ranAt != std::chrono::steady_clock::time_point{}; }));
    EXPECT_GE(ranAt - start, 40ms);
}

TEST_F(GLibMainQueueTest, RepeatingTimerFiresUntilInvalidatedOrDestroyed) {
    int ticks = 0;
    auto timer = queue_->scheduleRepeating(5ms, [&] { ++ticks; });
    ASSERT_TRUE(runUntil([&] { return ticks >= 3; }));
    timer->invalidate();
    const int stoppedAt = ticks;
    runFor(30ms);
    EXPECT_EQ(ticks, stoppedAt);

    int otherTicks = 0;
    auto other = queue_->scheduleRepeating(5ms, [&] { ++otherTicks; });
    ASSERT_TRUE(runUntil([&] { return otherTicks >= 1; }));
    other.reset();
    const int destroyedAt = otherTicks;
    runFor(30ms);
    EXPECT_EQ(otherTicks, destroyedAt);
    EXPECT_THROW(queue_->scheduleRepeating(0ms, [] {}), std::invalid_argument);
}

TEST_F(GLibMainQueueTest, OtherThreadsPostAndRunSynchronouslyOnTheMainThread) {
    EXPECT_TRUE(queue_->isMainThread());
    std::vector<int> ran;
    bool sawMainThread = false;
    bool workerDone = false;
    std::thread worker([&] {
        EXPECT_FALSE(queue_->isMainThread());
        for (int i = 0; i < 100; ++i) {
            queue_->post([&ran, i] { ran.push_back(i); });
        }
        queue_->runSynchronously([&] { sawMainThread = queue_->isMainThread(); });
        // Everything posted before the synchronous task already ran.
        EXPECT_EQ(ran.size(), 100u);
        queue_->post([&] { workerDone = true; });
    });
    ASSERT_TRUE(runUntil([&] { return workerDone; }));
    worker.join();
    EXPECT_TRUE(sawMainThread);
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(ran[static_cast<std::size_t>(i)], i);
    }

    bool inline_ = false;
    queue_->runSynchronously([&] { inline_ = true; });
    EXPECT_TRUE(inline_) << "on the main thread the task runs at once";
}

TEST_F(GLibMainQueueTest, DestroyingTheQueueDropsPendingWork) {
    int ran = 0;
    queue_->post([&] { ++ran; });
    queue_->postAfter(5ms, [&] { ++ran; });
    auto timer = queue_->scheduleRepeating(5ms, [&] { ++ran; });
    queue_.reset();
    runFor(30ms);
    EXPECT_EQ(ran, 0);
    timer->invalidate();  // harmless after the queue is gone
}

TEST_F(GLibMainQueueTest, ATaskMayDestroyTheQueue) {
    bool ran = false;
    queue_->postAfter(1ms, [&] {
        queue_.reset();
        ran = true;
    });
    ASSERT_TRUE(runUntil([&] { return ran; }));
    runFor(10ms);
}

}  // namespace
}  // namespace plovik
