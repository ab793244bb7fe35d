// URLs: any text parses or not; a parsed URL parses again to itself.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/support/Url.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto url = plovik::Url::parse(text);
    if (!url) {
        return 0;
    }
    if (plovik::Url::parse(url->absoluteString()) != url) {
        std::abort();
    }
    url->scheme();
    url->filePath();
    return 0;
}
