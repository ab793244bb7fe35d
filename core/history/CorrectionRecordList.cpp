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

CorrectionRecordList::CorrectionRecordList(std::vector<CorrectionRecord> records)
    : records_(std::move(records)),
      declined_(
          static_cast<std::size_t>(std::count_if(records_.begin(), records_.end(), isDeclined))) {
    folded_.reserve(records_.size());
    for (const auto& record : records_) {
        folded_.push_back(foldedTokens(record));
    }
}

CorrectionRecordList::FoldedTokens CorrectionRecordList::foldedTokens(
    const CorrectionRecord& record) {
    return {text::CaseMapping::folded(record.originalToken),
            text::CaseMapping::folded(record.correctedToken)};
}

void CorrectionRecordList::append(CorrectionRecord record) {
    folded_.push_back(foldedTokens(record));
    declined_ += isDeclined(record);
    records_.push_back(std::move(record));
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
        const auto at = oldest - records_.begin();
        declined_ -= isDeclined(*oldest);
        records_.erase(oldest);
        folded_.erase(folded_.begin() + at);
    }
}

void CorrectionRecordList::retainInOnePass(const HistoryRetention& retention) {
    const auto keep = retention.kept(records_);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < records_.size(); ++i) {
        if (!keep[i]) {
            continue;
        }
        if (kept != i) {
            records_[kept] = std::move(records_[i]);
            folded_[kept] = std::move(folded_[i]);
        }
        ++kept;
    }
    records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(kept), records_.end());
    folded_.erase(folded_.begin() + static_cast<std::ptrdiff_t>(kept), folded_.end());
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
    declined_ -= isDeclined(*found);
    found->outcome = outcome;
    declined_ += isDeclined(*found);
    return true;
}

void CorrectionRecordList::clear() {
    records_.clear();
    folded_.clear();
    declined_ = 0;
}

double CorrectionRecordList::confidenceAdjustment(
    std::string_view original, std::string_view corrected,
    std::string_view applicationBundleIdentifier) const {
    const auto foldedOriginal = text::CaseMapping::folded(original);
    const auto foldedCorrected = text::CaseMapping::folded(corrected);
    int accepted = 0;
    int undone = 0;
    for (std::size_t i = 0; i < records_.size(); ++i) {
        const auto& record = records_[i];
        if (record.applicationBundleIdentifier != applicationBundleIdentifier ||
            folded_[i].original != foldedOriginal || folded_[i].corrected != foldedCorrected) {
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
