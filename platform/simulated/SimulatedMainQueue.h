#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <thread>
#include <utility>

#include "core/platform/MainQueue.h"
#include "platform/simulated/SimulatedClock.h"

namespace plovik {

// A main queue driven by virtual time: nothing runs until the owner calls
// runUntilIdle() or advance(), so delays and timers are tested deterministically.
class SimulatedMainQueue final : public MainQueue {
  public:
    explicit SimulatedMainQueue(SimulatedClock& clock);
    ~SimulatedMainQueue() override;

    void post(Task task) override;
    void postAfter(std::chrono::milliseconds delay, Task task) override;
    std::unique_ptr<RepeatingTimer> scheduleRepeating(std::chrono::milliseconds interval,
                                                      Task task) override;
    bool isMainThread() const override;
    void runSynchronously(const Task& task) override;

    // Runs every task that is due now, including tasks they post for now.
    void runUntilIdle();
    // Moves virtual time forward, running each task at its due time, in order.
    // Throws std::invalid_argument for a negative delta: time never runs backwards.
    void advance(std::chrono::nanoseconds delta);
    std::size_t pendingCount() const { return tasks_.size(); }
    SimulatedClock& clock() { return clock_; }

  private:
    struct Key {
        TimePoint due;
        std::uint64_t sequence;
        bool operator<(const Key& other) const {
            return due != other.due ? due < other.due : sequence < other.sequence;
        }
    };
    struct TimerState;
    class Timer;

    void schedule(TimePoint due, Task task);
    void scheduleTimerTick(const std::shared_ptr<TimerState>& state);
    bool runNextDueBy(TimePoint limit);

    SimulatedClock& clock_;
    std::map<Key, Task> tasks_;
    std::uint64_t nextSequence_ = 0;
    std::thread::id mainThread_;
};

}  // namespace plovik
