#include "platform/linux/GLibMainQueue.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <stdexcept>
#include <utility>

namespace plovik {

// Everything a GLib callback may touch; it outlives the queue while a callback runs.
class GLibMainQueue::State {
  public:
    explicit State(GMainContext* context) : context_(context) {}

    void post(Task task) {
        std::lock_guard lock(mutex_);
        if (closed_) {
            return;
        }
        posted_.push_back(std::move(task));
        if (!wakeScheduled_) {
            wakeScheduled_ = true;
            attach(g_idle_source_new(), &State::drainPosted, new Callback{weakSelf_, {}});
        }
    }

    GSource* schedule(std::chrono::milliseconds delay, Task task, bool repeats) {
        std::lock_guard lock(mutex_);
        if (closed_) {
            return nullptr;
        }
        const auto milliseconds = static_cast<guint>(std::max<std::int64_t>(delay.count(), 0));
        // The deadline is taken before the timer's own, so no task runs before its delay.
        const std::int64_t deadline = g_get_monotonic_time() + std::int64_t{milliseconds} * 1000;
        GSource* source = g_timeout_source_new(milliseconds);
        auto* callback = new Callback{weakSelf_, {}};
        callback->repeats = repeats;
        if (repeats) {
            callback->task = std::move(task);
        } else {
            // Timers due in the same turn of the loop run in the order they were attached, not
            // by deadline; keep one-shot tasks ordered ourselves.
            const DelayKey key{deadline, nextSequence_++};
            delayed_.emplace(key, Delayed{std::move(task), source});
            callback->key = key;
        }
        return attach(source, &State::runTimer, callback);
    }

    void cancel(GSource* source) {
        std::lock_guard lock(mutex_);
        if (live_.erase(source) > 0) {
            g_source_destroy(source);
            g_source_unref(source);
        }
    }

    void close() {
        std::lock_guard lock(mutex_);
        closed_ = true;
        posted_.clear();
        for (GSource* source : live_) {
            g_source_destroy(source);
            g_source_unref(source);
        }
        live_.clear();
        delayed_.clear();
    }

    std::weak_ptr<State> weakSelf_;

  private:
    // Deadline in monotonic microseconds, then the order of posting.
    using DelayKey = std::pair<std::int64_t, std::uint64_t>;

    struct Callback {
        std::weak_ptr<State> state;
        Task task;
        bool repeats = false;
        GSource* source = nullptr;
        DelayKey key{};
    };

    struct Delayed {
        Task task;
        GSource* source = nullptr;
    };

    // The caller holds mutex_.
    GSource* attach(GSource* source, GSourceFunc function, Callback* callback) {
        callback->source = source;
        g_source_set_priority(source, G_PRIORITY_DEFAULT);
        g_source_set_callback(source, function, callback,
                              [](gpointer data) { delete static_cast<Callback*>(data); });
        live_.insert(source);
        g_source_attach(source, context_);
        return source;
    }

    void forget(GSource* source) {
        std::lock_guard lock(mutex_);
        if (live_.erase(source) > 0) {
            g_source_unref(source);
        }
    }

    static gboolean drainPosted(gpointer data) {
        auto* callback = static_cast<Callback*>(data);
        const auto state = callback->state.lock();
        if (!state) {
            return G_SOURCE_REMOVE;
        }
        std::deque<Task> batch;
        {
            std::lock_guard lock(state->mutex_);
            batch.swap(state->posted_);
            state->wakeScheduled_ = false;
        }
        state->forget(callback->source);
        // Tasks posted while these run wait for the next round, after pending I/O.
        for (auto& task : batch) {
            if (state->isClosed()) {
                break;
            }
            task();
        }
        return G_SOURCE_REMOVE;
    }

    static gboolean runTimer(gpointer data) {
        auto* callback = static_cast<Callback*>(data);
        const auto state = callback->state.lock();
        if (!state || state->isClosed()) {
            return G_SOURCE_REMOVE;
        }
        if (!callback->repeats) {
            state->forget(callback->source);
            state->runDelayedUpTo(callback->key);
            return G_SOURCE_REMOVE;
        }
        Task task = callback->task;
        task();
        return G_SOURCE_CONTINUE;
    }

    bool isClosed() {
        std::lock_guard lock(mutex_);
        return closed_;
    }

    // Runs every one-shot task due no later than `last`, earliest first; their own timers go.
    void runDelayedUpTo(DelayKey last) {
        while (auto task = takeDelayedUpTo(last)) {
            (*task)();
            if (isClosed()) {
                return;
            }
        }
    }

    std::optional<Task> takeDelayedUpTo(DelayKey last) {
        std::lock_guard lock(mutex_);
        const auto first = delayed_.begin();
        if (closed_ || first == delayed_.end() || last < first->first) {
            return std::nullopt;
        }
        // The task may destroy what owns the queue: take it out first.
        Task task = std::move(first->second.task);
        if (GSource* source = first->second.source; live_.erase(source) > 0) {
            g_source_destroy(source);
            g_source_unref(source);
        }
        delayed_.erase(first);
        return task;
    }

    GMainContext* context_;
    std::mutex mutex_;
    std::deque<Task> posted_;
    bool wakeScheduled_ = false;
    bool closed_ = false;
    std::set<GSource*> live_;
    std::map<DelayKey, Delayed> delayed_;
    std::uint64_t nextSequence_ = 0;
};

class GLibMainQueue::Timer final : public RepeatingTimer {
  public:
    Timer(std::weak_ptr<State> state, GSource* source)
        : state_(std::move(state)), source_(source) {}
    ~Timer() override { invalidate(); }
    void invalidate() override {
        if (auto state = state_.lock(); state && source_) {
            state->cancel(source_);
        }
        source_ = nullptr;
    }

  private:
    std::weak_ptr<State> state_;
    GSource* source_;
};

GLibMainQueue::GLibMainQueue(GMainContext* context)
    : context_(g_main_context_ref(context ? context : g_main_context_default())),
      mainThread_(std::this_thread::get_id()),
      state_(std::make_shared<State>(context_)) {
    state_->weakSelf_ = state_;
}

GLibMainQueue::~GLibMainQueue() {
    state_->close();
    g_main_context_unref(context_);
}

void GLibMainQueue::post(Task task) {
    state_->post(std::move(task));
}

void GLibMainQueue::postAfter(std::chrono::milliseconds delay, Task task) {
    if (delay <= std::chrono::milliseconds::zero()) {
        // No delay must not overtake tasks already posted.
        post(std::move(task));
        return;
    }
    state_->schedule(delay, std::move(task), false);
}

std::unique_ptr<RepeatingTimer> GLibMainQueue::scheduleRepeating(std::chrono::milliseconds interval,
                                                                 Task task) {
    if (interval <= std::chrono::milliseconds::zero()) {
        throw std::invalid_argument("repeating timer interval must be positive");
    }
    return std::make_unique<Timer>(state_, state_->schedule(interval, std::move(task), true));
}

bool GLibMainQueue::isMainThread() const {
    return std::this_thread::get_id() == mainThread_;
}

void GLibMainQueue::runSynchronously(const Task& task) {
    if (isMainThread()) {
        task();
        return;
    }
    struct Completion {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
    };
    auto completion = std::make_shared<Completion>();
    post([&task, completion] {
        task();
        std::lock_guard lock(completion->mutex);
        completion->finished = true;
        completion->done.notify_all();
    });
    std::unique_lock lock(completion->mutex);
    completion->done.wait(lock, [&] { return completion->finished; });
}

}  // namespace plovik
