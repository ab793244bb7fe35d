#include "core/support/ReferenceDate.h"

#include <cmath>

namespace plovik {

double ReferenceDate::secondsSinceReferenceDate(TimePoint time) {
    const auto sinceEpoch = std::chrono::duration<double>(time.time_since_epoch());
    return sinceEpoch.count() - kUnixSecondsAtReferenceDate;
}

TimePoint ReferenceDate::fromSecondsSinceReferenceDate(double seconds) {
    const double unixSeconds = std::isfinite(seconds) ? seconds + kUnixSecondsAtReferenceDate : 0.0;
    return TimePoint{std::chrono::duration_cast<TimePoint::duration>(
        std::chrono::duration<double>(unixSeconds))};
}

}  // namespace plovik
