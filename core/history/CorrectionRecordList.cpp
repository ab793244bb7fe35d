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
// Beyond this many records over the limit, one pass over the list is cheaper.
constexpr int kDropsOneByOne = 4;

bool isDeclined(const CorrectionRecord& record) {
    return record.outcome == CorrectionOutcome::rejected;
}

}  // namespace

CorrectionRecordList::CorrectionRecordList(std::vector<CorrectionRecord> records) {
    records_.reserve(records.size());
    keys_.reserve(records.size());
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
    declined_ += isDeclined(record);
    records_.push_back(std::move(record));
}

void CorrectionRecordList::erase(std::size_t index) {
    count(keys_[index], records_[index].outcome, -1);
    declined_ -= isDeclined(records_[index]);
    records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(index));
    keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(index));
}

void CorrectionRecordList::retain(const HistoryRetention& retention) {
    // Usually one record over the limit after an append: dropping that one moves the rest
    // once. Dropping the oldest declined record while there is one, otherwise the oldest,
    // keeps what the retention keeps.
    for (int drops = 0; retention.exceeds(records_.size(), declined_); ++drops) {
        if (drops == kDropsOneByOne) {
            retainInOnePass(retention);
            return;
        }
        const auto oldest = declined_ > 0
                                ? std::find_if(records_.begin(), records_.end(), isDeclined)
                                : records_.begin();
        erase(static_cast<std::size_t>(oldest - records_.begin()));
    }
}

void CorrectionRecordList::retainInOnePass(const HistoryRetention& retention) {
    const auto keep = retention.kept(records_);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < records_.size(); ++i) {
        if (!keep[i]) {
            count(keys_[i], records_[i].outcome, -1);
            continue;
        }
        if (kept != i) {
            records_[kept] = std::move(records_[i]);
            keys_[kept] = std::move(keys_[i]);
        }
        ++kept;
    }
    records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(kept), records_.end());
    keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(kept), keys_.end());
    declined_ =
        static_cast<std::size_t>(std::count_if(records_.begin(), records_.end(), isDeclined));
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
    declined_ -= isDeclined(*found);
    found->outcome = outcome;
    declined_ += isDeclined(*found);
    count(key, outcome, 1);
    return true;
}

void CorrectionRecordList::clear() {
    records_.clear();
    keys_.clear();
    tallies_.clear();
    declined_ = 0;
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
