#include "platform/x11/X11ModifierFlags.h"

#include <utility>

#include "platform/x11/X11KeyboardState.h"

namespace plovik {

std::uint64_t X11ModifierFlags::flags(std::uint32_t modifiers) {
    std::uint64_t flags = 0;
    if (modifiers & X11KeyboardState::kShiftMask) {
        flags |= kShift;
    }
    if (modifiers & X11KeyboardState::kLockMask) {
        flags |= kCapsLock;
    }
    if (modifiers & X11KeyboardState::kControlMask) {
        flags |= kControl;
    }
    if (modifiers & (X11KeyboardState::kAltMask | X11KeyboardState::kLevelThreeMask)) {
        flags |= kOption;
    }
    if (modifiers & X11KeyboardState::kSuperMask) {
        flags |= kCommand;
    }
    return flags;
}

std::uint32_t X11ModifierFlags::modifiers(std::uint64_t flags) {
    std::uint32_t modifiers = 0;
    if (flags & kShift) {
        modifiers |= X11KeyboardState::kShiftMask;
    }
    if (flags & kControl) {
        modifiers |= X11KeyboardState::kControlMask;
    }
    if (flags & kOption) {
        modifiers |= X11KeyboardState::kAltMask;
    }
    if (flags & kCommand) {
        modifiers |= X11KeyboardState::kSuperMask;
    }
    return modifiers;
}

}  // namespace plovik

namespace plovik {

std::uint32_t X11ModifierFlags::modifiers(Modifiers modifiers) {
    std::uint32_t mask = 0;
    const std::pair<Modifier, std::uint32_t> bits[] = {
        {Modifier::shift, X11KeyboardState::kShiftMask},
        {Modifier::control, X11KeyboardState::kControlMask},
        {Modifier::alt, X11KeyboardState::kAltMask},
        {Modifier::super, X11KeyboardState::kSuperMask},
        {Modifier::levelThree, X11KeyboardState::kLevelThreeMask}};
    for (const auto& [modifier, bit] : bits) {
        if (modifiers.has(modifier)) {
            mask |= bit;
        }
    }
    return mask;
}

}  // namespace plovik
