#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <ostream>
#include <thread>

namespace plovik {

// Ends the process when stopping takes too long: with the desktop gone, a call into what is
// left of it (AT-SPI, a bus) can hang for a minute, and a user or a supervisor waiting for
// the exit must not. Armed when stopping begins; the process ends with the status it was
// going to end with.
class TeardownDeadline {
  public:
    explicit TeardownDeadline(std::ostream& log) : log_(log) {}
    // Disarms; a teardown that finished in time ends normally.
    ~TeardownDeadline();
    TeardownDeadline(const TeardownDeadline&) = delete;
    TeardownDeadline& operator=(const TeardownDeadline&) = delete;

    void arm(std::chrono::milliseconds limit, int status);

  private:
    void watch(std::chrono::milliseconds limit, int status);

    std::ostream& log_;
    std::mutex mutex_;
    std::condition_variable finished_;
    bool done_ = false;
    std::thread watcher_;
};

}  // namespace plovik
