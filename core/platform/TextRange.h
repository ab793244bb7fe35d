#pragma once

#include <cstdint>

namespace plovik {

// A range of text in Unicode code points, as AT-SPI counts them.
// Signed like the platform's ranges, so that computed starts can be checked for < 0.
struct TextRange {
    std::int64_t location = 0;
    std::int64_t length = 0;

    std::int64_t end() const { return location + length; }

    bool operator==(const TextRange&) const = default;
};

}  // namespace plovik
