#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/platform/ApplicationSupportDirectory.h"

namespace plovik {

// The XDG data directory: $XDG_DATA_HOME when it is an absolute path, otherwise
// ~/.local/share, with the home directory from $HOME or else the user database.
class XdgApplicationSupportDirectory final : public ApplicationSupportDirectory {
  public:
    using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

    // Reads the process environment.
    XdgApplicationSupportDirectory();
    explicit XdgApplicationSupportDirectory(EnvironmentLookup environment);

    std::optional<std::filesystem::path> path() const override;

  private:
    std::optional<std::filesystem::path> homeDirectory() const;

    EnvironmentLookup environment_;
};

}  // namespace plovik
