#pragma once

#include <utility>

#include "core/platform/UserDataFolder.h"

namespace plovik {

// The simulated desktop's application-support directory: whatever folder it was given.
class SimulatedUserDataFolder final : public UserDataFolder {
  public:
    explicit SimulatedUserDataFolder(std::optional<std::filesystem::path> folder)
        : folder_(std::move(folder)) {}

    std::optional<std::filesystem::path> path() const override { return folder_; }
    void setPath(std::optional<std::filesystem::path> folder) { folder_ = std::move(folder); }

  private:
    std::optional<std::filesystem::path> folder_;
};

}  // namespace plovik
