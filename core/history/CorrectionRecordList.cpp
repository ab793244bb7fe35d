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

CorrectionRecordList::CorrectionRecordList(std::vector<CorrectionRecord> records) {
    for (auto& record : records) {
        append(std::move(record));
    }
}

std::string CorrectionRecordList::tallyKey(std::string_view application,
                                           std::string_view foldedOriginal,
                                           std::string_view foldedCorrected) {
    std::string key;
    for (const std::string_view part : {application, foldedOriginal, foldedCorrected}) {
        key.append(std::to_string(part.size())).append(1, ':').append(part);
    }
    return key;
}

std::string CorrectionRecordList::tallyKey(const CorrectionRecord& record) {
    return tallyKey(record.applicationBundleIdentifier,
                    text::CaseMapping::folded(record.originalToken),
                    text::CaseMapping::folded(record.correctedToken));
}

void CorrectionRecordList::count(const std::string& key, CorrectionOutcome outcome, int change) {
    if (outcome != CorrectionOutcome::accepted && outcome != CorrectionOutcome::undone) {
        return;
    }
    Tally& tally = tallies_[key];
    (outcome == CorrectionOutcome::accepted ? tally.accepted : tally.undone) += change;
    if (tally.accepted == 0 && tally.undone == 0) {
        tallies_.erase(key);
    }
}

void CorrectionRecordList::append(CorrectionRecord record) {
    keys_.push_back(tallyKey(record));
    count(keys_.back(), record.outcome, 1);
    records_.push_back(std::move(record));
}

void CorrectionRecordList::keepNewest(std::size_t count) {
    while (records_.size() > count) {
        this->count(keys_.front(), records_.front().outcome, -1);
        records_.pop_front();
        keys_.pop_front();
    }
}

bool CorrectionRecordList::markOutcome(const Uuid& id, CorrectionOutcome outcome) {
    const auto found =
        std::find_if(records_.begin(), records_.end(),
                     [&](const CorrectionRecord& record) { return record.id == id; });
    if (found == records_.end()) {
        return false;
    }
    const std::string& key = keys_[static_cast<std::size_t>(found - records_.begin())];
    count(key, found->outcome, -1);
    found->outcome = outcome;
    count(key, outcome, 1);
    return true;
}

void CorrectionRecordList::clear() {
    records_.clear();
    keys_.clear();
    tallies_.clear();
}

double CorrectionRecordList::confidenceAdjustment(
    std::string_view original, std::string_view corrected,
    std::string_view applicationBundleIdentifier) const {
    const auto found =
        tallies_.find(tallyKey(applicationBundleIdentifier, text::CaseMapping::folded(original),
                               text::CaseMapping::folded(corrected)));
    if (found == tallies_.end()) {
        return 0.0;
    }
    const Tally& tally = found->second;
    const double adjustment = kBonusPerAcceptance * tally.accepted - kPenaltyPerUndo * tally.undone;
    return std::max(std::min(adjustment, kHighestAdjustment), kLowestAdjustment);
}

}  // namespace plovik
