// The program's modes: the desktop application (no option), Plovik on this desktop (X11,
// or Wayland through Fcitx5) without a user interface, the rendered screenshots of its windows, and
// the simulated demonstration. Each is put together in app/modes.
#include <cstring>
#include <iostream>

#include "app/modes/DemoMode.h"
#include "app/modes/HeadlessMode.h"
#include "app/modes/IntegrationMode.h"
#include "app/modes/UiModes.h"

namespace {

constexpr const char* kUsage =
    "usage: plovik [--headless | --demo | --screenshots DIR | --integration on|off|status]\n"
    "Corrects words typed with the wrong keyboard layout selected.\n"
    "\n"
    "  (no option)          the application, with its icon in the system tray\n"
    "  --headless           correct on this desktop without a user interface\n"
    "  --demo               a demonstration on a simulated desktop\n"
    "  --screenshots DIR    render every window to PNG files in DIR\n"
    "  --integration on|off|status\n"
    "                       on GNOME (Wayland): put Plovik's input sources in place of\n"
    "                       yours, give yours back, or say which are in use\n"
    "  -h, --help           show this help\n"
    "\n"
    "See plovik(1).\n";

}  // namespace

int main(int argc, char** argv) {
    // Asked for help, say so rather than start the application on the user's desktop.
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << kUsage;
        return 0;
    }
    if (argc >= 2 && std::strcmp(argv[1], "--demo") == 0) {
        return plovik::DemoMode::run(std::cout, std::cerr);
    }
    if (argc >= 2 && std::strcmp(argv[1], "--headless") == 0) {
        return plovik::HeadlessMode::run(std::cerr);
    }
    if (argc >= 2 && std::strcmp(argv[1], "--integration") == 0) {
        if (argc < 3) {
            std::cerr << kUsage;
            return 2;
        }
        return plovik::IntegrationMode::run(argv[2], std::cout, std::cerr);
    }
    if (argc >= 2 && std::strcmp(argv[1], "--screenshots") == 0) {
        if (argc < 3) {
            std::cerr << kUsage;
            return 2;
        }
        return plovik::ui::runScreenshots(argv[2], argc, argv);
    }
    return plovik::ui::runDesktopApplication(argc, argv);
}
