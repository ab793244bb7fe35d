#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace plovik {

// Per-user folders as the XDG base directory rules place them. Relative values are
// invalid in these variables and are ignored.
class XdgDirectories {
  public:
    // Reads one environment variable; absent when unset.
    using Environment = std::function<std::optional<std::string>(const std::string& name)>;

    // $HOME when it is an absolute path, otherwise the user database's entry for this user;
    // absent when neither gives an absolute path.
    static std::optional<std::filesystem::path> homeDirectory(const Environment& environment);
    // $XDG_CONFIG_HOME when it is an absolute path, otherwise <home>/.config.
    static std::optional<std::filesystem::path> configHome(const Environment& environment);
    // $XDG_DATA_HOME when it is an absolute path, otherwise <home>/.local/share.
    static std::optional<std::filesystem::path> dataHome(const Environment& environment);
    // The data home, then each absolute folder of $XDG_DATA_DIRS (by default /usr/local/share
    // and /usr/share), most important first.
    static std::vector<std::filesystem::path> dataDirectories(const Environment& environment);
    // The folder holding this program's user defaults: <config home>/plovik.
    static std::optional<std::filesystem::path> defaultsDirectory(const Environment& environment);
    static Environment processEnvironment();
};

}  // namespace plovik
