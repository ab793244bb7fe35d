#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "core/support/HashCombine.h"

namespace plovik {

// One physical key press: where the key is, and the modifiers that change what it types.
struct PhysicalKeyStroke {
    // Caps Lock, Shift, Option and the numeric-pad flag.
    static constexpr std::uint64_t kModifierMask = 0x2B0000;

    std::uint16_t keyCode = 0;
    std::uint64_t modifiers = 0;

    PhysicalKeyStroke() = default;
    PhysicalKeyStroke(std::uint16_t keyCode, std::uint64_t modifiers)
        : keyCode(keyCode), modifiers(modifiers) {}

    bool operator==(const PhysicalKeyStroke&) const = default;
};

}  // namespace plovik

template <>
struct std::hash<plovik::PhysicalKeyStroke> {
    std::size_t operator()(const plovik::PhysicalKeyStroke& stroke) const noexcept {
        // Combined in field order: key code first, then modifiers.
        std::size_t seed = std::hash<std::uint16_t>{}(stroke.keyCode);
        plovik::hashCombine(seed, std::hash<std::uint64_t>{}(stroke.modifiers));
        return seed;
    }
};
