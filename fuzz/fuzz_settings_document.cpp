// Settings documents as stored: any bytes decode to settings or to nothing, and what
// decodes encodes and decodes again to the same settings.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/settings/SettingsDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto settings = plovik::SettingsDocument::decode(std::span(data, size));
    if (!settings) {
        return 0;
    }
    const auto encoded = plovik::SettingsDocument::encode(*settings);
    if (encoded && plovik::SettingsDocument::decode(*encoded) != settings) {
        std::abort();
    }
    return 0;
}
