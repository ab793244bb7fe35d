#pragma once

#include <chrono>

namespace plovik {

using TimePoint = std::chrono::system_clock::time_point;

// Wall-clock time, injected wherever code compares with "now".
class Clock {
  public:
    virtual ~Clock() = default;
    virtual TimePoint now() const = 0;
};

}  // namespace plovik
