#pragma once

#include <optional>
#include <string>

#include "core/capture/ShortcutDefinition.h"
#include "core/platform/Key.h"

namespace plovik::ui {

// How a shortcut is written on Linux: "Ctrl+Alt+Shift+Super+" (each only when held)
// followed by the key's name, e.g. "Alt+Space".
class ShortcutText {
  public:
    static std::string displayText(const ShortcutDefinition& shortcut);
    // The key's label on a US keyboard; absent for keys without one.
    static std::optional<std::string> keyName(Key key);
};

}  // namespace plovik::ui
