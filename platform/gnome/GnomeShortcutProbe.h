#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/platform/ShortcutProbe.h"

namespace plovik {

// Whether GNOME binds a key combination itself: its window manager's and Shell's key
// bindings and the media keys, as the user's settings hold them. A combination GNOME
// takes never reaches an input method, so Plovik's engines could not see it.
class GnomeShortcutProbe final : public ShortcutProbe {
  public:
    static constexpr const char* kWindowManagerSchema = "org.gnome.desktop.wm.keybindings";
    static constexpr const char* kWindowMenuKey = "activate-window-menu";

    struct Binding {
        std::string schema;
        std::string key;
    };

    bool isTaken(Key key, Modifiers modifiers) override;
    // The GNOME binding that takes the combination, if any.
    std::optional<Binding> bindingOf(Key key, Modifiers modifiers) const;
    // Removes the combination from GNOME's window-menu binding; false when it could not.
    bool freeFromWindowMenu(Key key, Modifiers modifiers);

    // "<Alt>space" and the like, as GNOME writes accelerators; absent for keys Plovik's
    // shortcuts cannot use.
    struct Combination {
        Key key;
        Modifiers modifiers;
        bool operator==(const Combination&) const = default;
    };
    static std::optional<Combination> parseAccelerator(std::string_view accelerator);
};

}  // namespace plovik
