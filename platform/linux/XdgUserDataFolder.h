#pragma once

#include "core/platform/UserDataFolder.h"
#include "platform/linux/XdgDirectories.h"

namespace plovik {

// The XDG data directory: $XDG_DATA_HOME when it is an absolute path, otherwise
// ~/.local/share, with the home directory from $HOME or else the user database.
class XdgUserDataFolder final : public UserDataFolder {
  public:
    // Reads the process environment.
    XdgUserDataFolder();
    explicit XdgUserDataFolder(XdgDirectories::Environment environment);

    std::optional<std::filesystem::path> path() const override;

  private:
    XdgDirectories::Environment environment_;
};

}  // namespace plovik
