#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "core/platform/ApplicationCatalog.h"
#include "core/platform/SystemServices.h"
#include "platform/linux/AutostartEntry.h"
#include "platform/linux/NotificationClient.h"
#include "platform/linux/ThemeSoundPlayer.h"

namespace plovik {

// The desktop's application services on Linux: freedesktop notifications, theme sounds,
// an XDG autostart entry and the distribution's update application.
class DesktopSystemServices final : public SystemServices {
  public:
    struct Options {
        XdgDirectories::Environment environment = XdgDirectories::processEnvironment();
        // The program started at login; absent: the running one.
        std::optional<std::filesystem::path> program;
        // Absent: the session bus.
        std::optional<std::string> busAddress;
    };

    // `catalog` finds the update application and must outlive this object.
    DesktopSystemServices(ApplicationCatalog& catalog, Options options);

    bool playSound(const std::string& name) override;
    void postNotification(const UserNotification& notification) override;
    void requestNotificationAuthorization(AuthorizationHandler handler) override;
    std::optional<std::string> registerLoginItem() override;
    std::optional<std::string> unregisterLoginItem() override;
    std::unique_ptr<UpdaterController> createUpdaterController(bool startingUpdater) override;

  private:
    ApplicationCatalog& catalog_;
    AutostartEntry autostart_;
    NotificationClient notifications_;
    ThemeSoundPlayer sounds_;
};

}  // namespace plovik
