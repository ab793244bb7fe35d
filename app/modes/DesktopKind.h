#pragma once

namespace plovik {

// How Plovik reaches the keyboard and the fields: the X server itself, or an input-method
// framework (Fcitx5) where the session lets no other program see keys (Wayland).
enum class DesktopKind { x11, inputMethod };

}  // namespace plovik
