#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/platform/ActiveApplication.h"
#include "core/platform/MainQueue.h"
#include "platform/fcitx5/Fcitx5ModuleClient.h"
#include "platform/linux/ActivationNotifier.h"
#include "platform/linux/DesktopEntryCatalog.h"

namespace plovik {

// The application in front where the compositor tells no one: the program Fcitx5 names
// for the focused field, which its D-Bus and X11 frontends know; on Wayland's own input
// path, the process that owns the focused object on the accessibility bus.
class Fcitx5ActiveApplication final : public ActiveApplication {
  public:
    // The process of the focused accessible object; absent when accessibility cannot say.
    using FocusedProcess = std::function<std::optional<std::int32_t>()>;

    Fcitx5ActiveApplication(Fcitx5ModuleClient& module, DesktopEntryCatalog catalog,
                            MainQueue& mainQueue, FocusedProcess focusedProcess);

    std::optional<RunningApplication> frontmostApplication() const override;
    std::optional<RunningApplication> runningApplication(
        std::int32_t processIdentifier) const override;
    Subscription observeActivations(ActivationObserver observer) override;
    bool openUrl(const std::string& url) override;

    // The program as a desktop entry's application, or under its own name.
    static RunningApplication applicationOf(const std::string& program,
                                            const DesktopEntryCatalog& catalog);
    // From the module's reading thread.
    void fieldChanged();

  private:
    void notify();

    Fcitx5ModuleClient& module_;
    DesktopEntryCatalog catalog_;
    MainQueue& mainQueue_;
    FocusedProcess focusedProcess_;
    ActivationNotifier activations_;
    // Shared with the posted notifications, which must not outlive this.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace plovik
