#include "core/history/CorrectionRecordList.h"

#include <algorithm>
#include <utility>

#include "core/text/CaseMapping.h"

namespace plovik {

namespace {

constexpr double kBonusPerAcceptance = 0.02;
constexpr double kPenaltyPerUndo = 0.18;
constexpr double kHighestAdjustment = 0.06;
constexpr double kLowestAdjustment = -0.6;

}  // namespace

CorrectionRecordList::CorrectionRecordList(std::vector<CorrectionRecord> records)
    : records_(std::move(records)) {}

void CorrectionRecordList::append(CorrectionRecord record) {
    records_.push_back(std::move(record));
}

void CorrectionRecordList::keepNewest(std::size_t count) {
    if (records_.size() > count) {
        records_.erase(records_.begin(),
                       records_.begin() + static_cast<std::ptrdiff_t>(records_.size() - count));
    }
}

bool CorrectionRecordList::markOutcome(const Uuid& id, CorrectionOutcome outcome) {
    const auto found =
        std::find_if(records_.begin(), records_.end(),
                     [&](const CorrectionRecord& record) { return record.id == id; });
    if (found == records_.end()) {
        return false;
    }
    found->outcome = outcome;
    return true;
}

void CorrectionRecordList::clear() {
    records_.clear();
}

double CorrectionRecordList::confidenceAdjustment(
    std::string_view original, std::string_view corrected,
    std::string_view applicationBundleIdentifier) const {
    int accepted = 0;
    int undone = 0;
    for (const auto& record : records_) {
        if (record.applicationBundleIdentifier != applicationBundleIdentifier ||
            !text::CaseMapping::equalsIgnoringCase(record.originalToken, original) ||
            !text::CaseMapping::equalsIgnoringCase(record.correctedToken, corrected)) {
            continue;
        }
        if (record.outcome == CorrectionOutcome::accepted) {
            ++accepted;
        } else if (record.outcome == CorrectionOutcome::undone) {
            ++undone;
        }
    }
    const double adjustment = kBonusPerAcceptance * accepted - kPenaltyPerUndo * undone;
    return std::max(std::min(adjustment, kHighestAdjustment), kLowestAdjustment);
}

}  // namespace plovik
