#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "core/history/CorrectionRecord.h"

namespace plovik {

// Which records a history of bounded size keeps. Declined corrections teach nothing, and
// cancelled edits can come in bursts: they never push out a record the user kept or undid.
// Over the maximum the oldest declined records go first, and only a small number of them is
// kept at all; what remains is the newest of the rest.
class HistoryRetention {
  public:
    static constexpr std::size_t kDeclinedAllowance = 50;

    // Absent: every record stays.
    explicit HistoryRetention(std::optional<std::size_t> maximumRecordCount)
        : maximumRecordCount_(maximumRecordCount) {}
    static HistoryRetention unlimited() { return HistoryRetention(std::nullopt); }

    const std::optional<std::size_t>& maximumRecordCount() const { return maximumRecordCount_; }
    // For each record, oldest first, whether it stays.
    std::vector<bool> kept(const std::vector<CorrectionRecord>& records) const;
    // Drops the records that do not stay; the order of the rest is unchanged.
    void apply(std::vector<CorrectionRecord>& records) const;
    // Whether `apply` would drop anything.
    bool exceeds(const std::vector<CorrectionRecord>& records) const;
    // The same, for `size` records of which `declined` are declined.
    bool exceeds(std::size_t size, std::size_t declined) const;

  private:
    std::optional<std::size_t> maximumRecordCount_;
};

}  // namespace plovik
