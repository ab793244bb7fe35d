#include "platform/x11/X11ModifierFlags.h"

#include <array>
#include <utility>

#include "platform/x11/X11KeyboardState.h"

namespace plovik {

namespace {

constexpr std::array<std::pair<Modifier, std::uint32_t>, 7> kBits{{
    {Modifier::shift, X11KeyboardState::kShiftMask},
    {Modifier::capsLock, X11KeyboardState::kLockMask},
    {Modifier::control, X11KeyboardState::kControlMask},
    {Modifier::alt, X11KeyboardState::kAltMask},
    {Modifier::numLock, X11KeyboardState::kNumLockMask},
    {Modifier::super, X11KeyboardState::kSuperMask},
    {Modifier::levelThree, X11KeyboardState::kLevelThreeMask},
}};

}  // namespace

Modifiers X11ModifierFlags::modifiers(std::uint32_t realModifiers) {
    Modifiers result;
    for (const auto& [modifier, bit] : kBits) {
        if ((realModifiers & bit) != 0) {
            result |= modifier;
        }
    }
    return result;
}

std::uint32_t X11ModifierFlags::realModifiers(Modifiers modifiers) {
    std::uint32_t mask = 0;
    for (const auto& [modifier, bit] : kBits) {
        if (modifiers.has(modifier) && modifier != Modifier::capsLock &&
            modifier != Modifier::numLock) {
            mask |= bit;
        }
    }
    return mask;
}

}  // namespace plovik
