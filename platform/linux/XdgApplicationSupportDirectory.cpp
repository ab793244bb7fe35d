#include "platform/linux/XdgApplicationSupportDirectory.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <utility>
#include <vector>

namespace plovik {

namespace {

std::optional<std::string> processEnvironment(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

// Relative values are invalid in XDG variables and must be ignored.
std::optional<std::filesystem::path> absolutePath(const std::optional<std::string>& value) {
    if (!value || value->empty() || !std::filesystem::path(*value).is_absolute()) {
        return std::nullopt;
    }
    return std::filesystem::path(*value);
}

std::optional<std::filesystem::path> homeFromUserDatabase() {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* result = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) != 0 ||
        result == nullptr || result->pw_dir == nullptr) {
        return std::nullopt;
    }
    return absolutePath(std::string(result->pw_dir));
}

}  // namespace

XdgApplicationSupportDirectory::XdgApplicationSupportDirectory()
    : XdgApplicationSupportDirectory(processEnvironment) {}

XdgApplicationSupportDirectory::XdgApplicationSupportDirectory(EnvironmentLookup environment)
    : environment_(std::move(environment)) {}

std::optional<std::filesystem::path> XdgApplicationSupportDirectory::path() const {
    if (auto dataHome = absolutePath(environment_("XDG_DATA_HOME"))) {
        return dataHome;
    }
    const auto home = homeDirectory();
    if (!home) {
        return std::nullopt;
    }
    return *home / ".local" / "share";
}

std::optional<std::filesystem::path> XdgApplicationSupportDirectory::homeDirectory() const {
    if (auto home = absolutePath(environment_("HOME"))) {
        return home;
    }
    return homeFromUserDatabase();
}

}  // namespace plovik
