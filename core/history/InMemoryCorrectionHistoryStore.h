#pragma once

#include <mutex>
#include <vector>

#include "core/history/CorrectionHistoryStoring.h"
#include "core/history/CorrectionRecordList.h"

namespace plovik {

// A history without a file and without a cap, for uses that want no persistence.
class InMemoryCorrectionHistoryStore final : public CorrectionHistoryStoring {
  public:
    explicit InMemoryCorrectionHistoryStore(std::vector<CorrectionRecord> records = {});

    std::vector<CorrectionRecord> allRecords() const override;
    void append(const CorrectionRecord& record) override;
    void markOutcome(const Uuid& id, CorrectionOutcome outcome) override;
    void clear() override;
    double confidenceAdjustment(std::string_view original, std::string_view corrected,
                                std::string_view applicationBundleIdentifier) const override;

  private:
    mutable std::mutex lock_;
    CorrectionRecordList records_;
};

}  // namespace plovik
