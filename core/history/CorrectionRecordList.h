#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/history/CorrectionRecord.h"
#include "core/history/HistoryRetention.h"

namespace plovik {

// The ordered records of a history store (oldest first) and the scoring rule both stores
// share. Not synchronised: the owning store holds its lock around every call.
class CorrectionRecordList {
  public:
    CorrectionRecordList() = default;
    explicit CorrectionRecordList(std::vector<CorrectionRecord> records);

    const std::vector<CorrectionRecord>& records() const { return records_; }
    std::size_t size() const { return records_.size(); }

    void append(CorrectionRecord record);
    // Drops the records the retention does not keep.
    void retain(const HistoryRetention& retention);
    // Sets the outcome of the oldest record with this id; false when there is none.
    bool markOutcome(const Uuid& id, CorrectionOutcome outcome);
    void clear();

    // +0.02 per kept and -0.18 per undone matching record, within [-0.6, 0.06]. Tokens match
    // ignoring case (full Unicode folding); the application must match exactly.
    double confidenceAdjustment(std::string_view original, std::string_view corrected,
                                std::string_view applicationBundleIdentifier) const;

  private:
    // Case-folded tokens of each record, parallel to records_: folding every record on every
    // query costs far more than the scan itself.
    struct FoldedTokens {
        std::string original;
        std::string corrected;
    };
    static FoldedTokens foldedTokens(const CorrectionRecord& record);
    void retainInOnePass(const HistoryRetention& retention);

    std::vector<CorrectionRecord> records_;
    // How many of them are declined, kept so that an append need not count them.
    std::size_t declined_ = 0;
    std::vector<FoldedTokens> folded_;
};

}  // namespace plovik
