#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/history/CorrectionRecord.h"
#include "core/history/HistoryRetention.h"

namespace plovik {

// The history file: one compact JSON array of record objects, oldest first, with the keys
// "id", "originalToken", "correctedToken", "applicationBundleIdentifier", "outcome" and
// "timestamp" (seconds since 2001-01-01 UTC).
class HistoryFileFormat {
  public:
    // UUIDs upper-case, text as UTF-8 (invalid bytes become U+FFFD so that one bad token
    // cannot block every later save); absent if encoding fails.
    static std::optional<std::string> encode(const std::vector<CorrectionRecord>& records);
    // Absent when the document is not such an array or any record is incomplete or invalid;
    // keys may come in any order, UUIDs in either case.
    static std::optional<std::vector<CorrectionRecord>> decode(std::string_view bytes);
    // As decode, keeping only the records the retention keeps; memory stays bounded by them.
    static std::optional<std::vector<CorrectionRecord>> decodeRetained(
        std::string_view bytes, const HistoryRetention& retention);
    static std::optional<std::vector<CorrectionRecord>> decodeRetained(
        std::FILE* file, const HistoryRetention& retention);
};

}  // namespace plovik
