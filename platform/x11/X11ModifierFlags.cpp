#include "platform/x11/X11ModifierFlags.h"

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
