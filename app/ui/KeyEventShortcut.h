#pragma once

#include <QKeyEvent>
#include <cstdint>
#include <optional>

#include "core/capture/ShortcutDefinition.h"

namespace plovik::ui {

// What the shortcut recorder makes of one key press.
class KeyEventShortcut {
  public:
    enum class Kind {
        // A modifier pressed on its own: the user is still building the combination.
        modifierOnly,
        // No modifier held, or a key a shortcut cannot use: refused with a beep.
        refused,
        recorded,
    };
    struct Result {
        Kind kind;
        std::optional<ShortcutDefinition> shortcut;
    };

    static Result fromKeyEvent(const QKeyEvent& event);
    static std::uint64_t modifiersOf(Qt::KeyboardModifiers modifiers);
    // The stored key code of a key, by its position; absent for keys shortcuts do not use.
    static std::optional<std::uint16_t> keyCodeOf(int qtKey);
};

}  // namespace plovik::ui
