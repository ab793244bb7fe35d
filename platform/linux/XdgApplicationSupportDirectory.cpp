#include "platform/linux/XdgApplicationSupportDirectory.h"

#include <utility>

namespace plovik {

XdgApplicationSupportDirectory::XdgApplicationSupportDirectory()
    : XdgApplicationSupportDirectory(XdgDirectories::processEnvironment()) {}

XdgApplicationSupportDirectory::XdgApplicationSupportDirectory(
    XdgDirectories::Environment environment)
    : environment_(std::move(environment)) {}

std::optional<std::filesystem::path> XdgApplicationSupportDirectory::path() const {
    return XdgDirectories::dataHome(environment_);
}

}  // namespace plovik
