// Base64: any text decodes or not; decoded bytes encode back to the same text, and any
// bytes encode to text that decodes to them.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "core/support/Base64.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto bytes = plovik::Base64::decode(text)) {
        if (plovik::Base64::encode(*bytes) != text) {
            std::abort();
        }
    }
    const std::span<const std::uint8_t> raw(data, size);
    const auto decoded = plovik::Base64::decode(plovik::Base64::encode(raw));
    if (!decoded || !std::equal(decoded->begin(), decoded->end(), raw.begin(), raw.end())) {
        std::abort();
    }
    return 0;
}
