#pragma once

#include <string>

#include "core/capture/ShortcutDefinition.h"

namespace plovik::ui {

// How a shortcut is written on Linux: "Ctrl+Alt+Shift+Super+" (each only when held)
// followed by the key's name, e.g. "Alt+Space".
class ShortcutText {
  public:
    static std::string displayText(const ShortcutDefinition& shortcut);
    // "Key " and the number for a key without a name of its own.
    static std::string keyName(std::uint16_t keyCode);
};

}  // namespace plovik::ui
