// The program's modes: the desktop application (no option), Plovik on this X11 desktop
// without a user interface, the rendered screenshots of its windows, and the simulated
// demonstration. Each lives in app/modes or app/ui.
#include <cstring>
#include <iostream>

#include "app/modes/DemoMode.h"
#include "app/modes/HeadlessMode.h"
#include "app/ui/UiModes.h"

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--demo") == 0) {
        return plovik::DemoMode::run(std::cout, std::cerr);
    }
    if (argc >= 2 && std::strcmp(argv[1], "--headless") == 0) {
        return plovik::HeadlessMode::run(std::cerr);
    }
    if (argc >= 2 && std::strcmp(argv[1], "--screenshots") == 0) {
        if (argc < 3) {
            std::cerr << "usage: plovik --screenshots DIR\n";
            return 2;
        }
        return plovik::ui::runScreenshots(argv[2], argc, argv);
    }
    return plovik::ui::runDesktopApplication(argc, argv);
}
