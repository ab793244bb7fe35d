#include "platform/linux/DesktopSystemServices.h"

#include "platform/linux/DesktopUpdaterController.h"

namespace plovik {

DesktopSystemServices::DesktopSystemServices(ApplicationCatalog& catalog, Options options)
    : catalog_(catalog),
      autostart_(options.environment,
                 options.program.value_or(AutostartEntry::runningProgram().value_or(""))),
      notifications_(options.busAddress) {}

bool DesktopSystemServices::playSound(const std::string& name) {
    return sounds_.play(name);
}

void DesktopSystemServices::postNotification(const UserNotification& notification) {
    notifications_.post(notification);
}

void DesktopSystemServices::requestNotificationAuthorization(AuthorizationHandler handler) {
    notifications_.requestAuthorization(std::move(handler));
}

std::optional<std::string> DesktopSystemServices::registerLoginItem() {
    return autostart_.install();
}

std::optional<std::string> DesktopSystemServices::unregisterLoginItem() {
    return autostart_.remove();
}

std::unique_ptr<UpdaterController> DesktopSystemServices::createUpdaterController(
    bool /*startingUpdater*/) {
    return std::make_unique<DesktopUpdaterController>(catalog_);
}

}  // namespace plovik
