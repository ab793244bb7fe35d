#include "platform/linux/DesktopUpdaterController.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "platform/linux/GlibHandles.h"

namespace plovik {

DesktopUpdaterController::DesktopUpdaterController(ApplicationCatalog& catalog)
    : catalog_(catalog) {
    findUpdateApplication();
}

void DesktopUpdaterController::checkForUpdates() {
    const auto application = findUpdateApplication();
    if (!application) {
        return;
    }
    glib::Object<GDesktopAppInfo> info(
        g_desktop_app_info_new_from_filename(application->filePath.c_str()));
    GError* rawError = nullptr;
    if (!info || !g_app_info_launch(G_APP_INFO(info.get()), nullptr, nullptr, &rawError)) {
        glib::Error error(rawError);
        unavailableReason_ = application->name + " could not be opened: " +
                             glib::messageOf(error.get(), "its entry cannot be read");
    }
}

std::optional<InstalledApplication> DesktopUpdaterController::findUpdateApplication() {
    for (const char* identifier : kUpdateApplications) {
        if (auto application = catalog_.application(identifier)) {
            unavailableReason_.reset();
            canCheckForUpdates_ = true;
            return application;
        }
    }
    unavailableReason_ = kNoUpdaterMessage;
    canCheckForUpdates_ = false;
    return std::nullopt;
}

}  // namespace plovik
