#pragma once

#include <cstddef>
#include <mutex>
#include <optional>
#include <vector>

#include "core/history/CorrectionHistoryStoring.h"
#include "core/history/CorrectionRecordList.h"

namespace plovik {

// A history without a file, for uses that want no persistence; without a cap unless given
// one (the application's, to learn and forget exactly as it does).
class InMemoryCorrectionHistoryStore final : public CorrectionHistoryStoring {
  public:
    explicit InMemoryCorrectionHistoryStore(
        std::vector<CorrectionRecord> records = {},
        std::optional<std::size_t> maximumRecordCount = std::nullopt);

    std::vector<CorrectionRecord> allRecords() const override;
    void append(const CorrectionRecord& record) override;
    void markOutcome(const Uuid& id, CorrectionOutcome outcome) override;
    void clear() override;
    double confidenceAdjustment(std::string_view original, std::string_view corrected,
                                std::string_view applicationBundleIdentifier) const override;

  private:
    mutable std::mutex lock_;
    CorrectionRecordList records_;
    const HistoryRetention retention_;
};

}  // namespace plovik
