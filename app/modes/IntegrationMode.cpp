#include "app/modes/IntegrationMode.h"

#include "app/modes/GnomeDesktopAssembly.h"
#include "app/modes/GnomeSetup.h"
#include "platform/linux/XdgDirectories.h"
#include "platform/linux/XkbKeymapLibrary.h"

namespace plovik {

int IntegrationMode::run(const std::string& request, std::ostream& out, std::ostream& err) {
    if (request != "on" && request != "off" && request != "status") {
        err << "plovik: --integration takes on, off or status\n";
        return 2;
    }
    const auto folder = XdgDirectories::defaultsDirectory(XdgDirectories::processEnvironment());
    if (!folder) {
        err << "plovik: no place for the settings: neither XDG_CONFIG_HOME nor HOME is set\n";
        return 1;
    }
    if (request == "on" && !GnomeDesktopAssembly::isGnomeWaylandSession()) {
        err << "plovik: Plovik's input sources are for GNOME on Wayland; this session is not "
               "one, and Plovik sees typing here without them\n";
        return 1;
    }
    XkbKeymapLibrary keymaps;
    GnomeSetup setup(*folder, keymaps);
    auto& integration = setup.integration();
    if (request == "status") {
        const auto status = integration.status();
        out << "plovik: Plovik's input sources are " << (status.isOn ? "in use" : "not in use")
            << (status.needsLogOut ? "; its GNOME Shell extension loads at the next log-in" : "")
            << "\n";
        for (const auto& change : status.changes) {
            out << "plovik: turning them on replaces " << change << "\n";
        }
        return status.isOn ? 0 : 1;
    }
    const auto error = request == "on" ? integration.turnOn() : integration.turnOff();
    if (error) {
        err << "plovik: " << *error << "\n";
        return 1;
    }
    out << (request == "on" ? "plovik: Plovik's input sources are in use\n"
                            : "plovik: your GNOME input sources are back\n");
    if (request == "on" && integration.status().needsLogOut) {
        out << "plovik: log out and in again for GNOME to load Plovik's extension\n";
    }
    return 0;
}

}  // namespace plovik
