#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/platform/UpdaterController.h"
#include "core/platform/UserNotification.h"

namespace plovik {

// The desktop's application services: named sounds, user notifications and their
// authorization, the login item of the application, and the updater.
class SystemServices {
  public:
    // `error` is the system's description when the request itself failed.
    using AuthorizationHandler =
        std::function<void(bool granted, const std::optional<std::string>& error)>;

    virtual ~SystemServices() = default;

    // False when the desktop has no sound of that name.
    virtual bool playSound(const std::string& name) = 0;

    virtual void postNotification(const UserNotification& notification) = 0;
    // Asks the user for permission to show alerts; the answer may come later and on
    // any thread.
    virtual void requestNotificationAuthorization(AuthorizationHandler handler) = 0;

    // Start the application at login, or stop doing so. Absent on success, otherwise
    // the error's description.
    virtual std::optional<std::string> registerLoginItem() = 0;
    virtual std::optional<std::string> unregisterLoginItem() = 0;

    // With `startingUpdater` the updater begins its scheduled checks at once.
    virtual std::unique_ptr<UpdaterController> createUpdaterController(bool startingUpdater) = 0;
};

}  // namespace plovik
