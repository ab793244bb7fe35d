#pragma once

#include "core/platform/Clock.h"

namespace plovik {

// Stored files give times as seconds since 2001-01-01 00:00:00 UTC.
class ReferenceDate {
  public:
    static constexpr double kUnixSecondsAtReferenceDate = 978'307'200.0;

    static double secondsSinceReferenceDate(TimePoint time);
    static TimePoint fromSecondsSinceReferenceDate(double seconds);
};

}  // namespace plovik
