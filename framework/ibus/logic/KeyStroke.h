#pragma once

#include <cstdint>
#include <string>

#include "core/platform/Key.h"
#include "core/platform/Modifiers.h"

namespace plovik::ibus {

// One key event as IBus hands it to an engine: the key symbol of the active layout, the
// evdev key code and IBus's modifier state (the release flag included).
struct KeyStroke {
    std::uint32_t keyval = 0;
    std::uint32_t keycode = 0;
    std::uint32_t state = 0;

    bool isRelease() const;
    Key key() const { return static_cast<Key>(keycode); }
    // In Plovik's own modifier flags.
    Modifiers modifiers() const;
    // What the key types as UTF-8; "" for keys that type nothing, and for presses with
    // Control, Alt or Super, which are commands rather than text.
    std::string text() const;
    // The same key, released.
    KeyStroke released() const;
    bool isReturn() const;

    bool operator==(const KeyStroke&) const = default;
};

}  // namespace plovik::ibus
