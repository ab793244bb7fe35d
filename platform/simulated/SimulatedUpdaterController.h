#pragma once

#include <utility>

#include "core/platform/UpdaterController.h"

namespace plovik {

// The updater of the simulated desktop: whether it can check, which a test sets as the
// desktop would, and a count of the checks asked for.
class SimulatedUpdaterController final : public UpdaterController {
  public:
    SimulatedUpdaterController() = default;
    SimulatedUpdaterController(const SimulatedUpdaterController&) = delete;
    SimulatedUpdaterController& operator=(const SimulatedUpdaterController&) = delete;

    Published<bool>& canCheckForUpdates() override { return canCheckForUpdates_; }
    void checkForUpdates() override { ++checkCount_; }
    std::optional<std::string> unavailableReason() const override { return unavailableReason_; }

    void setUnavailableReason(std::optional<std::string> reason) {
        unavailableReason_ = std::move(reason);
    }
    int checkCount() const { return checkCount_; }

  private:
    Published<bool> canCheckForUpdates_{true};
    int checkCount_ = 0;
    std::optional<std::string> unavailableReason_;
};

}  // namespace plovik
