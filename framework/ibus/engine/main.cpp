// The Plovik IBus engines: started by IBus with --ibus; --xml lists the engines for
// the user's layouts, as IBus reads them when it builds its registry.
#include <cstring>
#include <iostream>
#include <variant>

#include "framework/ibus/engine/EngineProgram.h"
#include "framework/ibus/engine/UserLayouts.h"

namespace {

constexpr const char* kUsage =
    "usage: plovik-ibus-engine --ibus | --xml\n"
    "The Plovik input-method engines, one per keyboard layout; IBus starts them.\n"
    "  --ibus   serve the engines (as IBus starts the program)\n"
    "  --xml    print the engines for this user's layouts\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--xml") == 0) {
        std::cout
            << plovik::ibus::UserLayouts::engines(plovik::ibus::UserLayouts::configured()).xml();
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << kUsage;
        return 0;
    }
    if (argc != 2 || std::strcmp(argv[1], "--ibus") != 0) {
        std::cerr << kUsage;
        return 2;
    }
    auto started = plovik::ibus::EngineProgram::start();
    if (auto* error = std::get_if<std::string>(&started)) {
        std::cerr << "plovik-ibus-engine: " << *error << "\n";
        return 1;
    }
    std::get<0>(started)->run();
    return 0;
}
