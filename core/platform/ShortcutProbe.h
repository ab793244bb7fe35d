#pragma once

#include "core/platform/Key.h"
#include "core/platform/Modifiers.h"

namespace plovik {

// Asks the desktop whether a global key combination is already taken. A probe leaves
// nothing behind: the combination is exactly as free afterwards as it was before.
class ShortcutProbe {
  public:
    virtual ~ShortcutProbe() = default;

    // True when the desktop, its window manager or another program holds the combination,
    // or when it cannot be asked. What this program itself holds does not count.
    virtual bool isTaken(Key key, Modifiers modifiers) = 0;
};

}  // namespace plovik
