#include "core/history/InMemoryCorrectionHistoryStore.h"

#include <utility>

namespace plovik {

InMemoryCorrectionHistoryStore::InMemoryCorrectionHistoryStore(
    std::vector<CorrectionRecord> records, std::optional<std::size_t> maximumRecordCount)
    : records_(std::move(records)), retention_(maximumRecordCount) {
    records_.retain(retention_);
}

std::vector<CorrectionRecord> InMemoryCorrectionHistoryStore::allRecords() const {
    std::lock_guard guard(lock_);
    return records_.records();
}

void InMemoryCorrectionHistoryStore::append(const CorrectionRecord& record) {
    std::lock_guard guard(lock_);
    records_.append(record);
    records_.retain(retention_);
}

void InMemoryCorrectionHistoryStore::markOutcome(const Uuid& id, CorrectionOutcome outcome) {
    std::lock_guard guard(lock_);
    records_.markOutcome(id, outcome);
}

void InMemoryCorrectionHistoryStore::clear() {
    std::lock_guard guard(lock_);
    records_.clear();
}

double InMemoryCorrectionHistoryStore::confidenceAdjustment(
    std::string_view original, std::string_view corrected,
    std::string_view applicationBundleIdentifier) const {
    std::lock_guard guard(lock_);
    return records_.confidenceAdjustment(original, corrected, applicationBundleIdentifier);
}

}  // namespace plovik
