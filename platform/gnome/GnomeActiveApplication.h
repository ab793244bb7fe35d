#pragma once

#include "core/platform/ActiveApplication.h"
#include "platform/gnome/GnomeShellBridge.h"

namespace plovik {

// The application in front as GNOME Shell knows it: the focused window's desktop entry
// (the Shell matches windows to entries as it does for its dock), reported by Plovik's
// extension as the focus moves.
class GnomeActiveApplication final : public ActiveApplication {
  public:
    explicit GnomeActiveApplication(GnomeShellBridge& bridge);

    std::optional<RunningApplication> frontmostApplication() const override;
    std::optional<RunningApplication> runningApplication(
        std::int32_t processIdentifier) const override;
    [[nodiscard]] Subscription observeActivations(ActivationObserver observer) override;
    bool openUrl(const std::string& url) override;

    std::optional<std::int32_t> focusedProcess() const;

  private:
    GnomeShellBridge& bridge_;
};

}  // namespace plovik
