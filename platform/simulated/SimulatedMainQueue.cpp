#include "platform/simulated/SimulatedMainQueue.h"

#include <algorithm>
#include <stdexcept>

namespace plovik {

namespace {

// The far future stays in the future instead of wrapping around into the past.
// Compared in the delay's own unit, since converting a long delay to ticks overflows too.
template <typename Rep, typename Period>
TimePoint later(TimePoint time, std::chrono::duration<Rep, Period> delta) {
    const auto room = std::chrono::floor<std::chrono::duration<Rep, Period>>(
        TimePoint::max() - std::max(time, TimePoint{}));
    return delta >= room ? TimePoint::max() : time + delta;
}

}  // namespace

struct SimulatedMainQueue::TimerState {
    std::chrono::milliseconds interval;
    Task task;
    bool valid = true;
};

class SimulatedMainQueue::Timer final : public RepeatingTimer {
  public:
    explicit Timer(std::shared_ptr<TimerState> state) : state_(std::move(state)) {}
    ~Timer() override { invalidate(); }
    void invalidate() override { state_->valid = false; }

  private:
    std::shared_ptr<TimerState> state_;
};

SimulatedMainQueue::SimulatedMainQueue(SimulatedClock& clock)
    : clock_(clock), mainThread_(std::this_thread::get_id()) {}

SimulatedMainQueue::~SimulatedMainQueue() = default;

void SimulatedMainQueue::post(Task task) {
    schedule(clock_.now(), std::move(task));
}

void SimulatedMainQueue::postAfter(std::chrono::milliseconds delay, Task task) {
    // A delay in the past is none: the task must not overtake those already posted.
    schedule(later(clock_.now(), std::max(delay, std::chrono::milliseconds::zero())),
             std::move(task));
}

std::unique_ptr<RepeatingTimer> SimulatedMainQueue::scheduleRepeating(
    std::chrono::milliseconds interval, Task task) {
    if (interval <= std::chrono::milliseconds::zero()) {
        throw std::invalid_argument("repeating timer interval must be positive");
    }
    auto state = std::make_shared<TimerState>(TimerState{interval, std::move(task)});
    scheduleTimerTick(state);
    return std::make_unique<Timer>(state);
}

bool SimulatedMainQueue::isMainThread() const {
    return std::this_thread::get_id() == mainThread_;
}

void SimulatedMainQueue::runSynchronously(const Task& task) {
    // Virtual time has a single thread: callers are always on it.
    task();
}

void SimulatedMainQueue::runUntilIdle() {
    while (runNextDueBy(clock_.now())) {
    }
}

void SimulatedMainQueue::advance(std::chrono::nanoseconds delta) {
    if (delta < std::chrono::nanoseconds::zero()) {
        throw std::invalid_argument("virtual time cannot run backwards");
    }
    const TimePoint target = later(clock_.now(), delta);
    while (!tasks_.empty() && tasks_.begin()->first.due <= target) {
        if (tasks_.begin()->first.due > clock_.now()) {
            clock_.set(tasks_.begin()->first.due);
        }
        runNextDueBy(clock_.now());
    }
    clock_.set(target);
    runUntilIdle();
}

void SimulatedMainQueue::schedule(TimePoint due, Task task) {
    tasks_.emplace(Key{due, nextSequence_++}, std::move(task));
}

void SimulatedMainQueue::scheduleTimerTick(const std::shared_ptr<TimerState>& state) {
    std::weak_ptr<TimerState> weak = state;
    schedule(later(clock_.now(), state->interval), [this, weak] {
        auto locked = weak.lock();
        if (!locked || !locked->valid) {
            return;
        }
        scheduleTimerTick(locked);
        locked->task();
    });
}

bool SimulatedMainQueue::runNextDueBy(TimePoint limit) {
    if (tasks_.empty() || tasks_.begin()->first.due > limit) {
        return false;
    }
    auto node = tasks_.extract(tasks_.begin());
    node.mapped()();
    return true;
}

}  // namespace plovik
