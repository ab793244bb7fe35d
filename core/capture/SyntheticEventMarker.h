#pragma once

#include <cstdint>

namespace plovik {

// Written into the user-data field of every key event Plovik posts ("PLOVIKM" read
// big-endian), so that the monitor recognises and ignores its own events.
inline constexpr std::int64_t kSyntheticEventMarker = 0x504C4F56494B4D;

}  // namespace plovik
