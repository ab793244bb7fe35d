#pragma once

namespace plovik {

// How Plovik reaches the keyboard and the fields: the X server itself, or an input-method
// framework where the session lets no other program see keys (Wayland): Fcitx5, or on
// GNOME Plovik's own IBus input sources.
enum class DesktopKind { x11, inputMethod, gnome };

}  // namespace plovik
