#pragma once

#include "core/platform/ShortcutProbe.h"

namespace plovik {

// Shortcut probing where Plovik sees keys through Fcitx5. A Wayland compositor tells no
// client which combinations it keeps, and a combination it keeps never reaches the input
// method, so Plovik cannot take it from anyone: every combination counts as free.
class Fcitx5ShortcutProbe final : public ShortcutProbe {
  public:
    bool isTaken(Key, Modifiers) override { return false; }
};

}  // namespace plovik
