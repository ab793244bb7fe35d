#pragma once

#include <utility>

#include "core/platform/ApplicationSupportDirectory.h"

namespace plovik {

// The simulated desktop's application-support directory: whatever folder it was given.
class SimulatedApplicationSupportDirectory final : public ApplicationSupportDirectory {
  public:
    explicit SimulatedApplicationSupportDirectory(std::optional<std::filesystem::path> folder)
        : folder_(std::move(folder)) {}

    std::optional<std::filesystem::path> path() const override { return folder_; }
    void setPath(std::optional<std::filesystem::path> folder) { folder_ = std::move(folder); }

  private:
    std::optional<std::filesystem::path> folder_;
};

}  // namespace plovik
