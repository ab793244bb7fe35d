#pragma once

#include <cstddef>

namespace plovik {

// Mixes one more field into a hash, in the order the fields are combined.
inline void hashCombine(std::size_t& seed, std::size_t value) {
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

}  // namespace plovik
