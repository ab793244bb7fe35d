#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/linux/XdgDirectories.h"

namespace plovik {

// Launch at login as XDG desktops do it: an entry in $XDG_CONFIG_HOME/autostart that
// starts the program file given (normally the running one).
class AutostartEntry {
  public:
    static constexpr const char* kFileName = "plovik.desktop";

    AutostartEntry(XdgDirectories::Environment environment, std::filesystem::path program);

    // The running program, from /proc/self/exe.
    static std::optional<std::filesystem::path> runningProgram();

    // Absent on success, otherwise what went wrong, for the user.
    std::optional<std::string> install() const;
    std::optional<std::string> remove() const;

    // Where the entry is written; absent when there is no configuration folder.
    std::optional<std::filesystem::path> path() const;
    // The Exec value that starts `program`, quoted and escaped for a desktop entry; absent
    // for a path no Exec line can hold.
    static std::optional<std::string> execValue(const std::filesystem::path& program);

  private:
    XdgDirectories::Environment environment_;
    std::filesystem::path program_;
};

}  // namespace plovik
