#include "platform/linux/XdgDirectories.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace plovik {
namespace {

std::optional<std::filesystem::path> absolutePath(const std::optional<std::string>& value) {
    if (!value || value->empty() || value->front() != '/') {
        return std::nullopt;
    }
    return std::filesystem::path(*value);
}

std::optional<std::filesystem::path> homeFromUserDatabase() {
    const long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* result = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) != 0 ||
        result == nullptr || result->pw_dir == nullptr) {
        return std::nullopt;
    }
    return absolutePath(std::string(result->pw_dir));
}

// The variable when it is absolute, otherwise the folder below the home directory.
std::optional<std::filesystem::path> baseDirectory(const XdgDirectories::Environment& environment,
                                                   const std::string& variable,
                                                   const std::filesystem::path& belowHome) {
    if (auto configured = absolutePath(environment(variable))) {
        return configured;
    }
    const auto home = XdgDirectories::homeDirectory(environment);
    if (!home) {
        return std::nullopt;
    }
    return *home / belowHome;
}

}  // namespace

std::optional<std::filesystem::path> XdgDirectories::homeDirectory(const Environment& environment) {
    if (auto home = absolutePath(environment("HOME"))) {
        return home;
    }
    return homeFromUserDatabase();
}

std::optional<std::filesystem::path> XdgDirectories::configHome(const Environment& environment) {
    return baseDirectory(environment, "XDG_CONFIG_HOME", ".config");
}

std::optional<std::filesystem::path> XdgDirectories::dataHome(const Environment& environment) {
    return baseDirectory(environment, "XDG_DATA_HOME", std::filesystem::path(".local") / "share");
}

std::vector<std::filesystem::path> XdgDirectories::dataDirectories(const Environment& environment) {
    std::vector<std::filesystem::path> directories;
    if (auto home = dataHome(environment)) {
        directories.push_back(std::move(*home));
    }
    auto systemDirectories = environment("XDG_DATA_DIRS");
    if (!systemDirectories || systemDirectories->empty()) {
        systemDirectories = "/usr/local/share:/usr/share";
    }
    std::size_t start = 0;
    while (start <= systemDirectories->size()) {
        auto end = systemDirectories->find(':', start);
        if (end == std::string::npos) {
            end = systemDirectories->size();
        }
        if (auto directory = absolutePath(systemDirectories->substr(start, end - start))) {
            directories.push_back(std::move(*directory));
        }
        start = end + 1;
    }
    return directories;
}

std::optional<std::filesystem::path> XdgDirectories::defaultsDirectory(
    const Environment& environment) {
    const auto base = configHome(environment);
    if (!base) {
        return std::nullopt;
    }
    return *base / "plovik";
}

XdgDirectories::Environment XdgDirectories::processEnvironment() {
    return [](const std::string& name) -> std::optional<std::string> {
        const char* value = std::getenv(name.c_str());
        if (value == nullptr) {
            return std::nullopt;
        }
        return std::string(value);
    };
}

}  // namespace plovik
