#pragma once

#include <glib.h>
#include <xcb/xcb.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/ActiveApplication.h"
#include "platform/linux/ActivationNotifier.h"
#include "platform/linux/DesktopEntryCatalog.h"
#include "platform/x11/WindowIdentity.h"
#include "platform/x11/XcbHandles.h"

namespace plovik {

// The application in front on an X11 desktop: the window manager's _NET_ACTIVE_WINDOW,
// watched through property events that the default GLib main context delivers. The
// active window's own class and GTK id are watched too: LibreOffice names its module
// only after the window is up.
class EwmhActiveApplication final : public ActiveApplication {
  public:
    // Absent when the display does not accept connections.
    static std::unique_ptr<EwmhActiveApplication> connect(const std::string& display,
                                                          DesktopEntryCatalog catalog);
    EwmhActiveApplication(const EwmhActiveApplication&) = delete;
    EwmhActiveApplication& operator=(const EwmhActiveApplication&) = delete;
    ~EwmhActiveApplication() override;

    std::optional<RunningApplication> frontmostApplication() const override;
    std::optional<RunningApplication> runningApplication(
        std::int32_t processIdentifier) const override;
    Subscription observeActivations(ActivationObserver observer) override;
    bool openUrl(const std::string& url) override;

    // Handles the X events that have arrived (the main loop calls this on its own).
    void dispatchPendingEvents();
    // Whether a window manager that publishes the active window is running.
    bool hasWindowManager() const;

  private:
    EwmhActiveApplication(xcb_connection_t* connection, DesktopEntryCatalog catalog);
    xcb_atom_t atom(const char* name) const;
    std::optional<std::string> stringProperty(xcb_window_t window, xcb_atom_t property) const;
    std::vector<std::uint32_t> cardinals(xcb_window_t window, xcb_atom_t property,
                                         xcb_atom_t type) const;
    std::optional<xcb_window_t> activeWindow() const;
    WindowIdentity identityOf(xcb_window_t window) const;
    void activeWindowChanged();
    bool isIdentityChange(const xcb_property_notify_event_t& notify) const;
    void watchActiveWindow();
    void attachToMainContext();
    // Moves arrived events into `pending_` (reading the connection when `read`).
    bool collectEvents(bool read);

    xcb::Connection connection_;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    xcb_atom_t activeWindowAtom_ = XCB_ATOM_NONE;
    xcb_atom_t gtkApplicationIdAtom_ = XCB_ATOM_NONE;
    xcb_window_t watchedWindow_ = XCB_WINDOW_NONE;
    DesktopEntryCatalog catalog_;
    struct EventSource;
    GSource* source_ = nullptr;
    std::vector<xcb::Reply<xcb_generic_event_t>> pending_;
    ActivationNotifier activations_;
};

}  // namespace plovik
