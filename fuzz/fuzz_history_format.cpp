// History files: any bytes decode to records or to nothing; decoded records survive a
// round trip, and keeping the newest few agrees with decoding all.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/history/HistoryFileFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto records = plovik::HistoryFileFormat::decode(bytes);
    const auto newest = plovik::HistoryFileFormat::decodeNewest(bytes, 2);
    if (records.has_value() != newest.has_value()) {
        std::abort();
    }
    if (!records) {
        return 0;
    }
    if (newest->size() != std::min<std::size_t>(records->size(), 2)) {
        std::abort();
    }
    const auto encoded = plovik::HistoryFileFormat::encode(*records);
    if (encoded && !plovik::HistoryFileFormat::decode(*encoded)) {
        std::abort();
    }
    return 0;
}
