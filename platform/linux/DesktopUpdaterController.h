#pragma once

#include <optional>
#include <string>

#include "core/platform/ApplicationCatalog.h"
#include "core/platform/UpdaterController.h"

namespace plovik {

// Updates come from the distribution: "checking" opens the desktop's software-update
// application, and without one the check is unavailable.
class DesktopUpdaterController final : public UpdaterController {
  public:
    // Desktop-entry ids of the update applications, most common first.
    static constexpr const char* kUpdateApplications[] = {"org.gnome.Software", "org.kde.discover",
                                                          "update-manager"};
    static constexpr const char* kNoUpdaterMessage =
        "No software-update application (GNOME Software, Discover or Update Manager) is "
        "installed to check for updates.";

    explicit DesktopUpdaterController(ApplicationCatalog& catalog);

    Published<bool>& canCheckForUpdates() override { return canCheckForUpdates_; }
    // Opens the update application; looks again first, so one installed meanwhile is found.
    void checkForUpdates() override;
    std::optional<std::string> unavailableReason() const override { return unavailableReason_; }

  private:
    std::optional<InstalledApplication> findUpdateApplication();

    ApplicationCatalog& catalog_;
    Published<bool> canCheckForUpdates_{false};
    std::optional<std::string> unavailableReason_;
};

}  // namespace plovik
