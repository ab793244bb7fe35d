#include "core/support/ManualMainQueue.h"

#include <stdexcept>

namespace plovik {

struct ManualMainQueue::TimerState {
    std::chrono::milliseconds interval;
    Task task;
    bool valid = true;
};

class ManualMainQueue::Timer final : public RepeatingTimer {
public:
    explicit Timer(std::shared_ptr<TimerState> state) : state_(std::move(state)) {}
    ~Timer() override { invalidate(); }
    void invalidate() override { state_->valid = false; }

private:
    std::shared_ptr<TimerState> state_;
};

ManualMainQueue::ManualMainQueue(ManualClock& clock)
    : clock_(clock), mainThread_(std::this_thread::get_id()) {}

ManualMainQueue::~ManualMainQueue() = default;

void ManualMainQueue::post(Task task) { schedule(clock_.now(), std::move(task)); }

void ManualMainQueue::postAfter(std::chrono::milliseconds delay, Task task) {
    schedule(clock_.now() + delay, std::move(task));
}

std::unique_ptr<RepeatingTimer> ManualMainQueue::scheduleRepeating(
    std::chrono::milliseconds interval, Task task) {
    if (interval <= std::chrono::milliseconds::zero()) {
        throw std::invalid_argument("repeating timer interval must be positive");
    }
    auto state = std::make_shared<TimerState>(TimerState{interval, std::move(task)});
    scheduleTimerTick(state);
    return std::make_unique<Timer>(state);
}

bool ManualMainQueue::isMainThread() const { return std::this_thread::get_id() == mainThread_; }

void ManualMainQueue::runSynchronously(const Task& task) {
    // Virtual time has a single thread: callers are always on it.
    task();
}

void ManualMainQueue::runUntilIdle() {
    while (runNextDueBy(clock_.now())) {
    }
}

void ManualMainQueue::advance(std::chrono::nanoseconds delta) {
    const TimePoint target = clock_.now() + delta;
    while (!tasks_.empty() && tasks_.begin()->first.due <= target) {
        if (tasks_.begin()->first.due > clock_.now()) {
            clock_.set(tasks_.begin()->first.due);
        }
        runNextDueBy(clock_.now());
    }
    clock_.set(target);
    runUntilIdle();
}

void ManualMainQueue::schedule(TimePoint due, Task task) {
    tasks_.emplace(Key{due, nextSequence_++}, std::move(task));
}

void ManualMainQueue::scheduleTimerTick(const std::shared_ptr<TimerState>& state) {
    std::weak_ptr<TimerState> weak = state;
    schedule(clock_.now() + state->interval, [this, weak] {
        auto locked = weak.lock();
        if (!locked || !locked->valid) {
            return;
        }
        scheduleTimerTick(locked);
        locked->task();
    });
}

bool ManualMainQueue::runNextDueBy(TimePoint limit) {
    if (tasks_.empty() || tasks_.begin()->first.due > limit) {
        return false;
    }
    auto node = tasks_.extract(tasks_.begin());
    node.mapped()();
    return true;
}

}  // namespace plovik
