#pragma once

#include <optional>
#include <string_view>

namespace plovik {

// What became of a correction; stored as its raw value.
enum class CorrectionOutcome {
    accepted,  // applied and not undone
    undone,    // the user undid it
    rejected,  // recorded as declined
};

// "accepted", "undone" or "rejected".
std::string_view rawValue(CorrectionOutcome outcome);
// Absent for any other string.
std::optional<CorrectionOutcome> correctionOutcomeFromRawValue(std::string_view rawValue);

}  // namespace plovik
