#pragma once

#include <optional>
#include <string>

namespace plovik {

// Whether this desktop lets us use accessibility: the AT-SPI bus is reachable on the
// session bus and accessibility is switched on. Switching it on is the whole "request".
class AccessibilityBusStatus {
  public:
    // Told to the user whenever we switch accessibility on ourselves.
    static constexpr const char* kRestartNotice =
        "Accessibility is now on. Applications built with Qt that were already running "
        "must be restarted before Plovik can correct text in them.";

    // The process's own session bus ($DBUS_SESSION_BUS_ADDRESS).
    AccessibilityBusStatus() = default;

    bool isReachable() const;
    // Absent when the bus launcher does not answer.
    std::optional<bool> isEnabled() const;
    bool isTrusted() const { return isReachable() && isEnabled() == true; }
    // Switches org.a11y.Status.IsEnabled on (starting the bus launcher if needed) and
    // GNOME's toolkit-accessibility setting where that exists. The notice for the user
    // when accessibility was off before; absent when it already was on or stays off.
    std::optional<std::string> enable() const;
};

}  // namespace plovik
