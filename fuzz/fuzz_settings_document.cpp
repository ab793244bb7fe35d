// Settings documents as stored: any bytes decode to settings or to nothing, and what
// decodes encodes and decodes again to the same settings. Read member by member, any bytes
// give settings, and a document repaired with them reads whole, to the same settings.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/settings/SettingsDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using plovik::SettingsDocument;
    auto reading = SettingsDocument::read(std::span(data, size), plovik::AppSettings{});
    if (reading.object.is_object()) {
        SettingsDocument::repair(reading.object, reading.settings, reading.problems);
        const auto again =
            SettingsDocument::read(SettingsDocument::encode(reading.object), plovik::AppSettings{});
        if (!again.problems.empty() || again.settings != reading.settings) {
            std::abort();
        }
    }
    const auto settings = SettingsDocument::decode(std::span(data, size));
    if (!settings) {
        return 0;
    }
    const auto encoded = SettingsDocument::encode(*settings);
    if (encoded && SettingsDocument::decode(*encoded) != settings) {
        std::abort();
    }
    return 0;
}
