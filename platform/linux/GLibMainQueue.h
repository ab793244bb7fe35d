#pragma once

#include <glib.h>

#include <chrono>
#include <memory>
#include <thread>

#include "core/platform/MainQueue.h"

namespace plovik {

// The main queue on a GLib main context, so that the X connection, D-Bus and a Qt
// event dispatcher share one loop. post() and postAfter() may be called from any
// thread; tasks run on the thread that created the queue, in submission order.
// Destroying the queue drops every task that has not run yet.
class GLibMainQueue final : public MainQueue {
  public:
    // Null: the global default context.
    explicit GLibMainQueue(GMainContext* context = nullptr);
    ~GLibMainQueue() override;
    GLibMainQueue(const GLibMainQueue&) = delete;
    GLibMainQueue& operator=(const GLibMainQueue&) = delete;

    void post(Task task) override;
    void postAfter(std::chrono::milliseconds delay, Task task) override;
    std::unique_ptr<RepeatingTimer> scheduleRepeating(std::chrono::milliseconds interval,
                                                      Task task) override;
    bool isMainThread() const override;
    void runSynchronously(const Task& task) override;

    GMainContext* context() const { return context_; }

  private:
    class State;
    class Timer;

    GMainContext* context_;
    std::thread::id mainThread_;
    std::shared_ptr<State> state_;
};

}  // namespace plovik
