#pragma once

#include <filesystem>
#include <functional>
#include <optional>

namespace plovik {

// Per-user folders as the XDG base directory rules place them.
class XdgDirectories {
  public:
    // Reads one environment variable; null when unset.
    using Environment = std::function<const char*(const char*)>;

    // $XDG_CONFIG_HOME when it is an absolute path, otherwise $HOME/.config;
    // absent when neither gives an absolute path.
    static std::optional<std::filesystem::path> configHome(const Environment& environment);
    // The folder holding this program's user defaults: <config home>/plovik.
    static std::optional<std::filesystem::path> defaultsDirectory(const Environment& environment);
    static Environment processEnvironment();
};

}  // namespace plovik
