// The program's modes; each lives in app/modes.
#include <cstring>
#include <iostream>
#include <string_view>

#include "app/modes/DemoMode.h"
#include "app/modes/HeadlessMode.h"

namespace {

constexpr const char* kUsage =
    "usage: plovik [--headless | --demo]\n"
    "  --headless  correct words on this X11 desktop until interrupted (log on stderr)\n"
    "  --demo      type a few words on the simulated desktop and show the result\n";

}  // namespace

int main(int argc, char** argv) {
    using namespace plovik;
    const std::string_view mode = argc > 1 ? argv[1] : "--demo";
    if (argc > 2 || mode == "--help" || mode == "-h") {
        (argc > 2 ? std::cerr : std::cout) << kUsage;
        return argc > 2 ? 2 : 0;
    }
    if (mode == "--headless") {
        return HeadlessMode::run(std::cerr);
    }
    if (mode == "--demo") {
        return DemoMode::run(std::cout, std::cerr);
    }
    std::cerr << "plovik: unknown option " << mode << "\n" << kUsage;
    return 2;
}
