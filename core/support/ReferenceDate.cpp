#include "core/support/ReferenceDate.h"

#include <cmath>

namespace plovik {

double ReferenceDate::secondsSinceReferenceDate(TimePoint time) {
    const auto sinceEpoch = std::chrono::duration<double>(time.time_since_epoch());
    return sinceEpoch.count() - kUnixSecondsAtReferenceDate;
}

TimePoint ReferenceDate::fromSecondsSinceReferenceDate(double seconds) {
    if (std::isnan(seconds)) {
        return TimePoint{};
    }
    using Ticks = TimePoint::duration;
    const double ticks = std::chrono::duration_cast<std::chrono::duration<double, Ticks::period>>(
                             std::chrono::duration<double>(seconds + kUnixSecondsAtReferenceDate))
                             .count();
    // Converting a double the tick count cannot hold is undefined: saturate instead.
    const double limit = std::ldexp(1.0, 63);
    if (ticks >= limit) {
        return TimePoint::max();
    }
    if (ticks <= -limit) {
        return TimePoint::min();
    }
    return TimePoint{Ticks{static_cast<Ticks::rep>(ticks)}};
}

}  // namespace plovik
