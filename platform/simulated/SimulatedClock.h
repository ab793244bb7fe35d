#pragma once

#include "core/platform/Clock.h"

namespace plovik {

// The simulated desktop's time: it moves only when told to, so that replayed typing
// and tests run the same on any machine at any load.
class SimulatedClock final : public Clock {
  public:
    explicit SimulatedClock(TimePoint start = TimePoint{std::chrono::seconds{800'000'000}})
        : now_(start) {}

    TimePoint now() const override { return now_; }
    void set(TimePoint time) { now_ = time; }
    void advance(std::chrono::nanoseconds delta) { now_ += delta; }

  private:
    TimePoint now_;
};

}  // namespace plovik
