#pragma once

#include <optional>

#include "core/decision/SafetyExclusion.h"

namespace plovik {

// Whether a token may be converted automatically; the exclusion is absent exactly when it may.
struct SafetyAssessment {
    bool isAllowed = true;
    std::optional<SafetyExclusion> exclusion;

    static SafetyAssessment allowed() { return {true, std::nullopt}; }
    static SafetyAssessment excluded(SafetyExclusion exclusion) { return {false, exclusion}; }

    bool operator==(const SafetyAssessment&) const = default;
};

}  // namespace plovik
