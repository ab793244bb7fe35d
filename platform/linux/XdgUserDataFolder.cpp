#include "platform/linux/XdgUserDataFolder.h"

#include <utility>

namespace plovik {

XdgUserDataFolder::XdgUserDataFolder() : XdgUserDataFolder(XdgDirectories::processEnvironment()) {}

XdgUserDataFolder::XdgUserDataFolder(XdgDirectories::Environment environment)
    : environment_(std::move(environment)) {}

std::optional<std::filesystem::path> XdgUserDataFolder::path() const {
    return XdgDirectories::dataHome(environment_);
}

}  // namespace plovik
