#include "core/history/CorrectionOutcome.h"

#include <array>
#include <utility>

namespace plovik {

namespace {

constexpr std::array<std::pair<CorrectionOutcome, std::string_view>, 3> kRawValues{{
    {CorrectionOutcome::accepted, "accepted"},
    {CorrectionOutcome::undone, "undone"},
    {CorrectionOutcome::rejected, "rejected"},
}};

}  // namespace

std::string_view rawValue(CorrectionOutcome outcome) {
    for (const auto& [candidate, raw] : kRawValues) {
        if (candidate == outcome) {
            return raw;
        }
    }
    return {};
}

std::optional<CorrectionOutcome> correctionOutcomeFromRawValue(std::string_view rawValue) {
    for (const auto& [outcome, raw] : kRawValues) {
        if (raw == rawValue) {
            return outcome;
        }
    }
    return std::nullopt;
}

}  // namespace plovik
