#pragma once

#include <string>

#include "core/history/CorrectionOutcome.h"
#include "core/support/Uuid.h"

namespace plovik {

// One applied or declined correction. Only the outcome changes after creation; callers
// supply a fresh random id and the current time.
struct CorrectionRecord {
    Uuid id;
    std::string originalToken;
    std::string correctedToken;
    std::string applicationBundleIdentifier;
    CorrectionOutcome outcome;
    // Seconds since 2001-01-01 00:00:00 UTC (see ReferenceDate), kept as the stored double so
    // that a record survives a round trip through the file unchanged.
    double timestamp;

    bool operator==(const CorrectionRecord&) const = default;
};

}  // namespace plovik
