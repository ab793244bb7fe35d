#pragma once

#include <string_view>

namespace plovik {

// What the correction engine asks of the learning history.
class HistoryScoring {
  public:
    virtual ~HistoryScoring() = default;
    // A confidence bonus (kept corrections) or penalty (undone ones) for this exact
    // correction in this application; 0.0 when nothing is known.
    virtual double confidenceAdjustment(std::string_view original, std::string_view corrected,
                                        std::string_view applicationBundleIdentifier) const = 0;
};

}  // namespace plovik
