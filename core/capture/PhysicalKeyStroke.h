#pragma once

#include <cstddef>
#include <functional>

#include "core/platform/Key.h"
#include "core/platform/Modifiers.h"
#include "core/support/HashCombine.h"

namespace plovik {

// One physical key press: where the key is, and the modifiers that change what it types.
struct PhysicalKeyStroke {
    // Shift, Caps Lock and level three choose what a key types.
    static constexpr Modifiers kModifierMask =
        Modifier::shift | Modifier::capsLock | Modifiers(Modifier::levelThree);

    Key key = Key::space;
    Modifiers modifiers;

    PhysicalKeyStroke() = default;
    PhysicalKeyStroke(Key key, Modifiers modifiers) : key(key), modifiers(modifiers) {}

    bool operator==(const PhysicalKeyStroke&) const = default;
};

}  // namespace plovik

template <>
struct std::hash<plovik::PhysicalKeyStroke> {
    std::size_t operator()(const plovik::PhysicalKeyStroke& stroke) const noexcept {
        std::size_t seed = std::hash<std::uint16_t>{}(plovik::evdevCode(stroke.key));
        plovik::hashCombine(seed, std::hash<std::uint8_t>{}(stroke.modifiers.bits()));
        return seed;
    }
};
