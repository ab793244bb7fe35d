#pragma once

#include <filesystem>
#include <optional>

namespace plovik {

// The current user's per-user directory for application data.
class UserDataFolder {
  public:
    virtual ~UserDataFolder() = default;
    // Absent when the system names no such directory.
    virtual std::optional<std::filesystem::path> path() const = 0;
};

}  // namespace plovik
