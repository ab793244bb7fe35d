#include "platform/linux/DesktopUrlOpener.h"

#include <gio/gio.h>

#include "platform/linux/DesktopSettingsLauncher.h"
#include "platform/linux/GlibHandles.h"

namespace plovik {

bool DesktopUrlOpener::open(const std::string& url) {
    if (DesktopSettingsLauncher::isSettingsUrl(url)) {
        return DesktopSettingsLauncher::forThisProcess().open(url);
    }
    GError* rawError = nullptr;
    const bool opened = g_app_info_launch_default_for_uri(url.c_str(), nullptr, &rawError);
    const glib::Error error(rawError);
    return opened && !error;
}

}  // namespace plovik
