#include "app/modes/TeardownDeadline.h"

#include <unistd.h>

namespace plovik {

TeardownDeadline::~TeardownDeadline() {
    {
        std::lock_guard lock(mutex_);
        done_ = true;
    }
    finished_.notify_all();
    if (watcher_.joinable()) {
        watcher_.join();
    }
}

void TeardownDeadline::arm(std::chrono::milliseconds limit, int status) {
    if (!watcher_.joinable()) {
        watcher_ = std::thread([this, limit, status] { watch(limit, status); });
    }
}

void TeardownDeadline::watch(std::chrono::milliseconds limit, int status) {
    std::unique_lock lock(mutex_);
    if (finished_.wait_for(lock, limit, [this] { return done_; })) {
        return;
    }
    log_ << "plovik: stopping took longer than " << limit.count()
         << " ms; leaving without finishing" << std::endl;
    // Nothing of the user's is left to save: the history was written before stopping began.
    ::_exit(status);
}

}  // namespace plovik
