// plovik-retype: shows what text meant for one layout becomes when its keys are pressed
// with another layout selected. Used to build wrong-layout test text from real prose.
#include <iostream>
#include <string>
#include <vector>

#include "core/support/InputText.h"
#include "platform/linux/XkbKeymapLibrary.h"
#include "tools/plovik-retype/LayoutRetyper.h"

namespace {

constexpr const char* kUsage =
    "usage: plovik-retype --from LAYOUT --to LAYOUT < text\n"
    "Types the text with the keys of the --from layout (an XKB name such as ru or\n"
    "us(dvorak)) and writes what the --to layout shows for those keys. Characters the\n"
    "--from layout cannot type are written unchanged.\n";

int usageError(const std::string& message) {
    std::cerr << "plovik-retype: " << message << "\n" << kUsage;
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    std::string from;
    std::string to;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--help" || arguments[i] == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if ((arguments[i] != "--from" && arguments[i] != "--to") || i + 1 == arguments.size()) {
            return usageError("unexpected argument \"" + arguments[i] + "\"");
        }
        (arguments[i] == "--from" ? from : to) = arguments[i + 1];
        ++i;
    }
    if (from.empty() || to.empty()) {
        return usageError("both --from and --to are needed");
    }
    plovik::XkbKeymapLibrary keymaps;
    const auto meant = keymaps.keyLayoutData("xkb:" + from);
    const auto selected = keymaps.keyLayoutData("xkb:" + to);
    if (!meant || !selected) {
        return usageError("unknown layout \"" + (meant ? to : from) + "\"");
    }
    auto input = plovik::InputText::read(std::cin);
    if (const auto* error = std::get_if<plovik::InputText::Error>(&input)) {
        return usageError(error->message);
    }
    std::cout << plovik::LayoutRetyper(*meant, *selected).retype(std::get<std::string>(input));
    return std::cout ? 0 : 1;
}
