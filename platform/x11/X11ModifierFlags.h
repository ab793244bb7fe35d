#pragma once

#include <cstdint>

#include "core/platform/Modifiers.h"

namespace plovik {

// Between X's real modifier bits and the key-event flags of the platform boundary
// (Alt and AltGr are Option, Super is Command).
class X11ModifierFlags {
  public:
    static constexpr std::uint64_t kCapsLock = 0x10000;
    static constexpr std::uint64_t kShift = 0x20000;
    static constexpr std::uint64_t kControl = 0x40000;
    static constexpr std::uint64_t kOption = 0x80000;
    static constexpr std::uint64_t kCommand = 0x100000;

    static std::uint64_t flags(std::uint32_t modifiers);
    // Caps Lock is a lock, not something a key press holds: it is left out.
    static std::uint32_t modifiers(std::uint64_t flags);
    // The real modifier bits of the shared modifier set; the locks are left out.
    static std::uint32_t modifiers(Modifiers modifiers);
};

}  // namespace plovik
