#pragma once

namespace plovik {

// How sure the scorer is of one conversion, with the parts it was built from.
struct ConfidenceBreakdown {
    double confidence = 0.0;  // 0.0 to 1.0
    double originalPlausibility = 0.0;
    double convertedPlausibility = 0.0;
    double historyAdjustment = 0.0;

    bool operator==(const ConfidenceBreakdown&) const = default;
};

}  // namespace plovik
