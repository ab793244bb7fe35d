#pragma once

#include <cstdint>

#include "core/platform/Modifiers.h"

namespace plovik {

// Between X's real modifier bits and the shared modifier set (Mod1 is Alt, Mod2 Num
// Lock, Mod4 Super, Mod5 the level-three shift, as the usual key maps assign them).
class X11ModifierFlags {
  public:
    static Modifiers modifiers(std::uint32_t realModifiers);
    // The real modifier bits a press needs held; the locks are left out.
    static std::uint32_t realModifiers(Modifiers modifiers);
};

}  // namespace plovik
