// Turns launch at login on or off through the desktop services the program uses, for a
// program file named on the command line (the installed one, found by the caller from the
// process the application menu starts), and prints where the entry is.
//   plovik-autostart-probe on|off PROGRAM
#include <cstring>
#include <iostream>

#include "platform/linux/AutostartEntry.h"
#include "platform/linux/DesktopSystemServices.h"
#include "platform/linux/XdgApplicationCatalog.h"

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[1], "on") != 0 && std::strcmp(argv[1], "off") != 0)) {
        std::cerr << "usage: plovik-autostart-probe on|off PROGRAM\n";
        return 2;
    }
    const bool on = std::strcmp(argv[1], "on") == 0;
    const auto environment = plovik::XdgDirectories::processEnvironment();
    plovik::XdgApplicationCatalog catalog(environment);
    plovik::DesktopSystemServices services(catalog, {environment, argv[2], std::nullopt});
    const auto error = on ? services.registerLoginItem() : services.unregisterLoginItem();
    if (error) {
        std::cerr << "plovik-autostart-probe: " << *error << "\n";
        return 1;
    }
    const auto path = plovik::AutostartEntry(environment, argv[2]).path();
    std::cout << (path ? path->string() : std::string()) << "\n";
    return 0;
}
