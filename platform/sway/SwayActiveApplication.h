#pragma once

#include <glib.h>

#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>

#include "core/platform/ActiveApplication.h"
#include "platform/linux/ActivationNotifier.h"
#include "platform/linux/DesktopEntryCatalog.h"
#include "platform/sway/SwayIpcConnection.h"
#include "platform/x11/WindowIdentity.h"

namespace plovik {

// The application in front on sway: the focused window of sway's tree, followed through
// its window events, which the default GLib main context delivers. A Wayland window names
// its application by its app_id (the desktop-entry id, by the protocol's convention); an
// X11 window under XWayland by its class.
class SwayActiveApplication final : public ActiveApplication {
  public:
    // Absent when sway does not answer at `socketPath`.
    static std::unique_ptr<SwayActiveApplication> connect(const std::string& socketPath,
                                                          DesktopEntryCatalog catalog);
    ~SwayActiveApplication() override;
    SwayActiveApplication(const SwayActiveApplication&) = delete;
    SwayActiveApplication& operator=(const SwayActiveApplication&) = delete;

    std::optional<RunningApplication> frontmostApplication() const override;
    std::optional<RunningApplication> runningApplication(
        std::int32_t processIdentifier) const override;
    Subscription observeActivations(ActivationObserver observer) override;
    bool openUrl(const std::string& url) override;

    // The focused window in a tree as GET_TREE gives it; absent when none has the focus.
    static std::optional<WindowIdentity> focusedWindow(const nlohmann::json& tree,
                                                       const DesktopEntryCatalog& catalog);
    // The window of a process in the tree; absent when it has none.
    static std::optional<WindowIdentity> windowOf(const nlohmann::json& tree, std::int32_t pid,
                                                  const DesktopEntryCatalog& catalog);
    // What a window node says about its application.
    static WindowIdentity identityOf(const nlohmann::json& node,
                                     const DesktopEntryCatalog& catalog);

  private:
    SwayActiveApplication(SwayIpcConnection requests, SwayIpcConnection events,
                          DesktopEntryCatalog catalog);
    static gboolean onEvents(gint descriptor, GIOCondition condition, gpointer workspace);
    bool readEvents();
    void focusChanged(const nlohmann::json& container);
    std::optional<nlohmann::json> tree() const;

    mutable SwayIpcConnection requests_;
    SwayIpcConnection events_;
    DesktopEntryCatalog catalog_;
    guint watch_ = 0;
    std::optional<RunningApplication> frontmost_;
    ActivationNotifier activations_;
};

}  // namespace plovik
