#pragma once

#include <chrono>
#include <map>
#include <string>

namespace plovik {

// Applications that let an AT-SPI call run into its timeout. Calls to them fail at once
// for a while instead of blocking the main thread again and again; after that, one call
// is let through to see whether the application answers again.
class UnresponsiveApplications {
  public:
    using Clock = std::chrono::steady_clock;

    UnresponsiveApplications(std::chrono::milliseconds callTimeout,
                             std::chrono::milliseconds quarantine);

    std::chrono::milliseconds callTimeout() const { return callTimeout_; }
    bool isQuarantined(const std::string& busName) const;
    // A call to `busName` that started at `start` has just ended.
    void record(const std::string& busName, bool succeeded, Clock::time_point start);

  private:
    std::chrono::milliseconds callTimeout_;
    std::chrono::milliseconds quarantine_;
    std::map<std::string, Clock::time_point> quarantinedUntil_;
};

}  // namespace plovik
