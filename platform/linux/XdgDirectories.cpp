#include "platform/linux/XdgDirectories.h"

#include <cstdlib>

namespace plovik {
namespace {

std::optional<std::filesystem::path> absolutePath(const char* value) {
    if (value == nullptr || *value != '/') {
        return std::nullopt;
    }
    return std::filesystem::path(value);
}

}  // namespace

std::optional<std::filesystem::path> XdgDirectories::configHome(const Environment& environment) {
    if (auto configured = absolutePath(environment("XDG_CONFIG_HOME"))) {
        return configured;
    }
    if (auto home = absolutePath(environment("HOME"))) {
        return *home / ".config";
    }
    return std::nullopt;
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
    return [](const char* name) -> const char* { return std::getenv(name); };
}

}  // namespace plovik
