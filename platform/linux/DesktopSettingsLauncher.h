#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace plovik {

// Opens a page of the desktop's own settings program ("settings:universal-access",
// "settings:keyboard"), preferring the one of the running desktop.
class DesktopSettingsLauncher {
  public:
    // Starts `argv` detached; false when it could not be started.
    using Spawner = std::function<bool(const std::vector<std::string>& argv)>;
    using ProgramFinder = std::function<bool(const std::string& program)>;

    DesktopSettingsLauncher(std::string currentDesktop, ProgramFinder installed, Spawner spawn);
    static DesktopSettingsLauncher forThisProcess();

    static bool isSettingsUrl(const std::string& url);
    // False when no settings program for the page is installed, or none would start.
    bool open(const std::string& url) const;
    // The command line that would open the page, or absent.
    std::optional<std::vector<std::string>> commandFor(const std::string& url) const;

  private:
    std::string currentDesktop_;
    ProgramFinder installed_;
    Spawner spawn_;
};

}  // namespace plovik
