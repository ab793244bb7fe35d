// History files: any bytes decode to records or to nothing; decoded records survive a
// round trip, and keeping a few while decoding agrees with decoding all, then keeping them.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/history/HistoryFileFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto records = plovik::HistoryFileFormat::decode(bytes);
    const plovik::HistoryRetention retention(2);
    const auto retained = plovik::HistoryFileFormat::decodeRetained(bytes, retention);
    if (records.has_value() != retained.has_value()) {
        std::abort();
    }
    if (!records) {
        return 0;
    }
    auto expected = *records;
    retention.apply(expected);
    if (*retained != expected) {
        std::abort();
    }
    const auto encoded = plovik::HistoryFileFormat::encode(*records);
    if (encoded && !plovik::HistoryFileFormat::decode(*encoded)) {
        std::abort();
    }
    return 0;
}
