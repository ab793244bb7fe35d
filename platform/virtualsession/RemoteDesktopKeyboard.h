#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>

#include "core/platform/Key.h"
#include "core/platform/Modifiers.h"
#include "platform/virtualsession/BusConnection.h"

namespace plovik {

// A keyboard typing into GNOME as a user would, through Mutter's remote-desktop
// interface: keys by their evdev codes, through the active layout, one at a time. The
// virtual keyboard exists while this object does (without it the seat has no keyboard
// and windows get no focus), so a test keeps one for its whole run.
class RemoteDesktopKeyboard {
  public:
    // Absent (with why) when Mutter offers no remote-desktop session.
    static std::variant<std::unique_ptr<RemoteDesktopKeyboard>, std::string> open(
        const BusConnection& bus);
    ~RemoteDesktopKeyboard();
    RemoteDesktopKeyboard(const RemoteDesktopKeyboard&) = delete;
    RemoteDesktopKeyboard& operator=(const RemoteDesktopKeyboard&) = delete;

    bool press(Key key, bool down);
    // Down and up, with the modifiers held around it.
    bool tap(Key key, Modifiers modifiers = {});
    // The keys that type `text` on a US keyboard (Shift for capitals and shifted marks),
    // `interval` apart; keys of another layout type what that layout puts there.
    bool type(const std::string& text, std::chrono::milliseconds interval);

    // The key and Shift that type an ASCII character on a US keyboard.
    static std::optional<std::pair<Key, bool>> usKeyFor(char character);

  private:
    RemoteDesktopKeyboard(const BusConnection& bus, std::string session);

    const BusConnection& bus_;
    std::string session_;
};

}  // namespace plovik
