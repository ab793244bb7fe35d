#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/ApplicationCatalog.h"
#include "platform/linux/XdgDirectories.h"

namespace plovik {

// Installed applications as XDG desktop entries: found in the "applications" folder of
// every data directory (the first entry with an id wins, so a Hidden one in the user's
// folder removes a system application), read through GIO for names in the user's
// language, NoDisplay, OnlyShowIn and TryExec. Icons come from the icon themes.
class XdgApplicationCatalog final : public ApplicationCatalog {
  public:
    // The folders are worked out from `environment` at every call. `iconTheme` is the
    // desktop's icon theme when known; "hicolor" is searched in any case.
    explicit XdgApplicationCatalog(
        XdgDirectories::Environment environment = XdgDirectories::processEnvironment(),
        std::optional<std::string> iconTheme = std::nullopt);

    std::vector<InstalledApplication> installedApplications() override;
    std::optional<InstalledApplication> application(const std::string& identifier) override;
    std::optional<InstalledApplication> applicationAt(const std::string& filePath) override;
    std::optional<std::vector<std::uint8_t>> iconPng(const std::string& filePath,
                                                     int size) override;

  private:
    // Every entry file by desktop-entry id (without ".desktop").
    std::map<std::string, std::filesystem::path> entryFiles() const;
    // The id the desktop gives the file: its path below an "applications" folder with
    // "/" turned into "-"; the file name for a file outside them.
    std::string identifierOf(const std::filesystem::path& file) const;

    XdgDirectories::Environment environment_;
    std::optional<std::string> iconTheme_;
};

}  // namespace plovik
