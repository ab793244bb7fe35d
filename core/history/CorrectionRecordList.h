#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
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
    // How many records of one correction in one application were kept and undone. Tallied
    // as records come and go: scanning the whole history on every decision costs more than
    // the decision itself.
    struct Tally {
        int accepted = 0;
        int undone = 0;
    };
    // The application and the case-folded tokens, each preceded by its length.
    static std::string tallyKey(std::string_view application, std::string_view foldedOriginal,
                                std::string_view foldedCorrected);
    static std::string tallyKey(const CorrectionRecord& record);
    void count(const std::string& key, CorrectionOutcome outcome, int change);
    void erase(std::size_t index);
    void retainInOnePass(const HistoryRetention& retention);

    std::vector<CorrectionRecord> records_;
    // Parallel to records_.
    std::vector<std::string> keys_;
    std::unordered_map<std::string, Tally> tallies_;
    // How many of them are declined, kept so that an append need not count them.
    std::size_t declined_ = 0;
};

}  // namespace plovik
