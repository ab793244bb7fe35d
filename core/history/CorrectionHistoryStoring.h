#pragma once

#include <vector>

#include "core/history/CorrectionOutcome.h"
#include "core/history/CorrectionRecord.h"
#include "core/history/HistoryScoring.h"
#include "core/support/Uuid.h"

namespace plovik {

// The learning history as the coordinator keeps it. Every operation may be called from any
// thread; none reports an error.
class CorrectionHistoryStoring : public HistoryScoring {
  public:
    // A copy, oldest first.
    virtual std::vector<CorrectionRecord> allRecords() const = 0;
    virtual void append(const CorrectionRecord& record) = 0;
    // Changes the oldest record with this id; does nothing when there is none.
    virtual void markOutcome(const Uuid& id, CorrectionOutcome outcome) = 0;
    virtual void clear() = 0;
};

}  // namespace plovik
