#include "app/modes/DesktopAssembly.h"

#include "app/modes/GnomeDesktopAssembly.h"
#include "app/modes/X11DesktopAssembly.h"

namespace plovik {

namespace {

template <typename Assembly>
std::variant<std::unique_ptr<DesktopAssembly>, std::string> opened(
    std::variant<std::unique_ptr<Assembly>, std::string> result) {
    if (auto* error = std::get_if<std::string>(&result)) {
        return *error;
    }
    return std::unique_ptr<DesktopAssembly>(std::move(std::get<0>(result)));
}

}  // namespace

std::variant<std::unique_ptr<DesktopAssembly>, std::string> DesktopAssembly::open(
    const std::string& mode) {
    if (GnomeDesktopAssembly::isGnomeWaylandSession()) {
        return opened(GnomeDesktopAssembly::open(mode));
    }
    return opened(X11DesktopAssembly::open(mode));
}

}  // namespace plovik
