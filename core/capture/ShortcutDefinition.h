#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "core/platform/Key.h"
#include "core/platform/Modifiers.h"

namespace plovik {

// A global shortcut: a key and the exact modifiers it needs. It keeps the numbers the
// settings document stores (a key code and modifier bits of the original format), so
// that a stored shortcut this system cannot express survives a save unchanged and
// simply never matches. This is the one place that knows those numbers.
class ShortcutDefinition {
  public:
    // Shift, Control, Alt and Super: the modifiers a shortcut is compared on.
    static constexpr Modifiers kComparedModifiers =
        Modifier::shift | Modifier::control | Modifier::alt | Modifiers(Modifier::super);

    // Space with nothing held; never matches a press with a modifier.
    ShortcutDefinition() : ShortcutDefinition(Key::space, {}) {}
    // Modifiers outside kComparedModifiers and Caps Lock are not part of a shortcut.
    ShortcutDefinition(Key key, Modifiers modifiers);

    static ShortcutDefinition altSpace() { return {Key::space, Modifier::alt}; }
    static ShortcutDefinition altShiftSpace() {
        return {Key::space, Modifier::alt | Modifier::shift};
    }
    static ShortcutDefinition altSuperP() { return {Key::p, Modifier::alt | Modifier::super}; }
    static ShortcutDefinition altSuperC() { return {Key::c, Modifier::alt | Modifier::super}; }
    // Exactly the numbers a settings document holds.
    static ShortcutDefinition fromStored(std::uint16_t keyCode, std::uint64_t modifiers) {
        return ShortcutDefinition(keyCode, modifiers);
    }

    // Absent when the stored key code names no key this system knows.
    std::optional<Key> key() const;
    // Absent when the stored bits hold one this system has no modifier for.
    std::optional<Modifiers> modifiers() const;
    // The stored Shift, Control, Alt and Super; other stored bits are left out.
    Modifiers comparedModifiers() const;
    // Whether a press of `key` with `modifiers` (already limited to kComparedModifiers)
    // is this shortcut.
    bool matches(Key key, Modifiers modifiers) const;
    // "Space", "↩", "A", …; "Key " and the stored number for a key without a name.
    std::string keyDisplayName() const;
    static std::optional<std::string> displayName(Key key);

    // {"keyCode": …, "modifiers": …}; absent when a key is missing or out of range.
    nlohmann::json toJson() const;
    static std::optional<ShortcutDefinition> fromJson(const nlohmann::json& json);

    bool operator==(const ShortcutDefinition&) const = default;

  private:
    ShortcutDefinition(std::uint16_t storedKeyCode, std::uint64_t storedModifiers)
        : storedKeyCode_(storedKeyCode), storedModifiers_(storedModifiers) {}

    std::uint16_t storedKeyCode_ = 0;
    std::uint64_t storedModifiers_ = 0;
};

}  // namespace plovik
