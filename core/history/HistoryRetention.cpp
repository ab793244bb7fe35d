#include "core/history/HistoryRetention.h"

#include <algorithm>
#include <utility>

namespace plovik {

namespace {

bool isDeclined(const CorrectionRecord& record) {
    return record.outcome == CorrectionOutcome::rejected;
}

std::size_t declinedCount(const std::vector<CorrectionRecord>& records) {
    return static_cast<std::size_t>(std::count_if(records.begin(), records.end(), isDeclined));
}

}  // namespace

std::vector<bool> HistoryRetention::kept(const std::vector<CorrectionRecord>& records) const {
    if (!maximumRecordCount_) {
        return std::vector<bool>(records.size(), true);
    }
    const std::size_t maximum = *maximumRecordCount_;
    const std::size_t declined = declinedCount(records);
    const std::size_t learned = std::min(records.size() - declined, maximum);
    std::size_t learnedRoom = learned;
    std::size_t declinedRoom = std::min({declined, kDeclinedAllowance, maximum - learned});
    std::vector<bool> result(records.size(), false);
    // From the newest back: each kind keeps its newest records while it has room.
    for (std::size_t i = records.size(); i-- > 0;) {
        std::size_t& room = isDeclined(records[i]) ? declinedRoom : learnedRoom;
        if (room > 0) {
            result[i] = true;
            --room;
        }
    }
    return result;
}

void HistoryRetention::apply(std::vector<CorrectionRecord>& records) const {
    if (!exceeds(records)) {
        return;
    }
    const auto keep = kept(records);
    std::vector<CorrectionRecord> remaining;
    remaining.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (keep[i]) {
            remaining.push_back(std::move(records[i]));
        }
    }
    records = std::move(remaining);
}

bool HistoryRetention::exceeds(const std::vector<CorrectionRecord>& records) const {
    return maximumRecordCount_ && exceeds(records.size(), declinedCount(records));
}

bool HistoryRetention::exceeds(std::size_t size, std::size_t declined) const {
    return maximumRecordCount_ && (size > *maximumRecordCount_ || declined > kDeclinedAllowance);
}

}  // namespace plovik
