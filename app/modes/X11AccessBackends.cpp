#include "app/modes/X11AccessBackends.h"

#include <cstdlib>

#include "platform/atspi/AtspiAccessibility.h"
#include "platform/linux/DesktopEntryCatalog.h"
#include "platform/linux/DesktopEntryFiles.h"
#include "platform/linux/XdgDirectories.h"
#include "platform/x11/EwmhActiveApplication.h"

namespace plovik {

std::variant<X11AccessBackends::Backends, std::string> X11AccessBackends::open() {
    Backends backends;
    const char* display = std::getenv("DISPLAY");
    auto workspace = EwmhActiveApplication::connect(
        display ? display : "", DesktopEntryCatalog(DesktopEntryFiles::applicationFolders(
                                    XdgDirectories::processEnvironment())));
    if (!workspace) {
        return std::string("cannot watch the active window on this display");
    }
    if (!workspace->hasWindowManager()) {
        return std::string(
            "no window manager publishes the active window (_NET_ACTIVE_WINDOW); Plovik needs "
            "an EWMH window manager to know which application is in front");
    }
    backends.workspace = std::move(workspace);
    auto accessibility = std::make_unique<AtspiAccessibility>(kCallTimeout);
    backends.atspi = accessibility.get();
    backends.accessibility = std::move(accessibility);
    return backends;
}

}  // namespace plovik
