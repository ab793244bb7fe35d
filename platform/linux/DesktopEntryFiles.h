#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/linux/XdgDirectories.h"

namespace plovik {

// The installed applications' desktop-entry files by id. The "applications" folders are
// searched in order and the first file with an id wins, as the XDG rules have it (the
// user's own entries, a Hidden one included, before the system's).
class DesktopEntryFiles {
  public:
    using Found = std::vector<std::pair<std::string, std::filesystem::path>>;

    // $XDG_DATA_HOME/applications, then each of $XDG_DATA_DIRS/applications.
    static std::vector<std::filesystem::path> applicationFolders(
        const XdgDirectories::Environment& environment);
    // Each id once with the file that wins it, in the folders' order, sorted by path within a
    // folder. Linked folders are not followed (a link back up would never end), and a folder
    // that cannot be read is passed over.
    static Found find(const std::vector<std::filesystem::path>& folders);
    // The id the desktop gives a file below `folder`: its path there with "/" turned into "-"
    // and without ".desktop" (applications/kde4/foo.desktop is "kde4-foo").
    static std::string identifierIn(const std::filesystem::path& folder,
                                    const std::filesystem::path& file);
    // "name.desktop" without its suffix; any other name unchanged.
    static std::string withoutSuffix(std::string name);
    static bool isEntryFile(const std::filesystem::path& path);
};

}  // namespace plovik
