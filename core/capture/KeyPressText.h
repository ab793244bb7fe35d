#pragma once

#include <optional>
#include <string>

#include "core/platform/Key.h"
#include "core/platform/Modifiers.h"

namespace plovik {

// What a press of the user typed into the focused field, as far as its key, modifiers and
// characters tell: the text; "" when it typed nothing and left the field alone (a
// modifier, a dead key waiting for the next one); absent when it may have done anything
// else (an editing or moving key, a command, a key whose effect is unknown).
class KeyPressText {
  public:
    static std::optional<std::string> typedBy(Key key, Modifiers modifiers,
                                              const std::optional<std::string>& characters);

  private:
    static bool isModifierKey(Key key);
    // Keys of the main block, which type characters or, as dead keys, nothing yet.
    static bool isCharacterKey(Key key);
    static bool isPrintable(const std::string& characters);
};

}  // namespace plovik
