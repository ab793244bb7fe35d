#pragma once

#include <vector>

#include "framework/ibus/logic/EngineList.h"

namespace plovik::ibus {

// The layouts of the user's GNOME input sources (plain layouts and Plovik's engines
// alike), described by the XKB registry: the engines IBus is to offer this user.
class UserLayouts {
  public:
    // The layouts in the user's order; US English when none can be read.
    static std::vector<EngineName> configured();
    static EngineList engines(const std::vector<EngineName>& layouts);
};

}  // namespace plovik::ibus
