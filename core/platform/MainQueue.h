#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace plovik {

// A repeating timer scheduled on the main queue; it stops when invalidated or destroyed.
class RepeatingTimer {
  public:
    virtual ~RepeatingTimer() = default;
    virtual void invalidate() = 0;
};

// The serial main thread: every service runs its work here, in submission order.
class MainQueue {
  public:
    using Task = std::function<void()>;

    virtual ~MainQueue() = default;
    virtual void post(Task task) = 0;
    virtual void postAfter(std::chrono::milliseconds delay, Task task) = 0;
    virtual std::unique_ptr<RepeatingTimer> scheduleRepeating(std::chrono::milliseconds interval,
                                                              Task task) = 0;
    virtual bool isMainThread() const = 0;
    // Runs the task on the main thread and waits for it; runs inline when already there.
    virtual void runSynchronously(const Task& task) = 0;
};

}  // namespace plovik
