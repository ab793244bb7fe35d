#include "framework/ibus/logic/KeyStroke.h"

#include <ibus.h>

#include <array>
#include <utility>

namespace plovik::ibus {

namespace {

constexpr std::array<std::pair<std::uint32_t, Modifier>, 8> kModifiers{{
    {IBUS_SHIFT_MASK, Modifier::shift},
    {IBUS_CONTROL_MASK, Modifier::control},
    {IBUS_MOD1_MASK, Modifier::alt},
    {IBUS_SUPER_MASK, Modifier::super},
    {IBUS_MOD4_MASK, Modifier::super},
    {IBUS_LOCK_MASK, Modifier::capsLock},
    {IBUS_MOD2_MASK, Modifier::numLock},
    {IBUS_MOD5_MASK, Modifier::levelThree},
}};

constexpr std::uint32_t kCommandMask =
    IBUS_CONTROL_MASK | IBUS_MOD1_MASK | IBUS_SUPER_MASK | IBUS_MOD4_MASK;

}  // namespace

bool KeyStroke::isRelease() const {
    return (state & IBUS_RELEASE_MASK) != 0;
}

Modifiers KeyStroke::modifiers() const {
    Modifiers result;
    for (const auto& [mask, modifier] : kModifiers) {
        if ((state & mask) != 0) {
            result |= modifier;
        }
    }
    return result;
}

std::string KeyStroke::text() const {
    if ((state & kCommandMask) != 0) {
        return {};
    }
    const gunichar character = ibus_keyval_to_unicode(keyval);
    // Control characters (Return, Tab, BackSpace as U+000D, U+0009, U+0008) are keys,
    // not text.
    if (character == 0 || g_unichar_iscntrl(character)) {
        return {};
    }
    char buffer[8] = {};
    const int length = g_unichar_to_utf8(character, buffer);
    return std::string(buffer, static_cast<std::size_t>(length));
}

KeyStroke KeyStroke::released() const {
    return {keyval, keycode, state | IBUS_RELEASE_MASK};
}

bool KeyStroke::isReturn() const {
    return keyval == IBUS_KEY_Return || keyval == IBUS_KEY_KP_Enter || keyval == IBUS_KEY_ISO_Enter;
}

}  // namespace plovik::ibus
