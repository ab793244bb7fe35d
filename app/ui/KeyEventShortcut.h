#pragma once

#include <QKeyEvent>
#include <optional>

#include "core/capture/ShortcutDefinition.h"
#include "core/platform/Key.h"
#include "core/platform/Modifiers.h"

namespace plovik::ui {

// What the shortcut recorder makes of one key press.
class KeyEventShortcut {
  public:
    enum class Kind {
        // A modifier pressed on its own: the user is still building the combination.
        modifierOnly,
        // No modifier held, or a key the settings cannot store: refused with a beep.
        refused,
        recorded,
    };
    struct Result {
        Kind kind;
        std::optional<ShortcutDefinition> shortcut;
    };

    // With `scanCodeIsX11Keycode` the event's native scan code names the physical key
    // (evdev code + 8), whatever the layout; otherwise the key is read from Qt's key.
    static Result fromKeyEvent(const QKeyEvent& event, bool scanCodeIsX11Keycode);
    static Modifiers modifiersOf(Qt::KeyboardModifiers modifiers);
    // The physical key of a Qt key on the US layout; absent for keys shortcuts do not use.
    static std::optional<Key> keyOf(int qtKey);
};

}  // namespace plovik::ui
