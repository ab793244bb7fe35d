#pragma once

#include "core/platform/Clock.h"

namespace plovik {

// Virtual time for tests and simulated runs; moves only when told to.
class ManualClock final : public Clock {
public:
    explicit ManualClock(TimePoint start = TimePoint{std::chrono::seconds{800'000'000}})
        : now_(start) {}

    TimePoint now() const override { return now_; }
    void set(TimePoint time) { now_ = time; }
    void advance(std::chrono::nanoseconds delta) { now_ += delta; }

private:
    TimePoint now_;
};

}  // namespace plovik
