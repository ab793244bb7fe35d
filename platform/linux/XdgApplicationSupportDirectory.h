#pragma once

#include "core/platform/ApplicationSupportDirectory.h"
#include "platform/linux/XdgDirectories.h"

namespace plovik {

// The XDG data directory: $XDG_DATA_HOME when it is an absolute path, otherwise
// ~/.local/share, with the home directory from $HOME or else the user database.
class XdgApplicationSupportDirectory final : public ApplicationSupportDirectory {
  public:
    // Reads the process environment.
    XdgApplicationSupportDirectory();
    explicit XdgApplicationSupportDirectory(XdgDirectories::Environment environment);

    std::optional<std::filesystem::path> path() const override;

  private:
    XdgDirectories::Environment environment_;
};

}  // namespace plovik
