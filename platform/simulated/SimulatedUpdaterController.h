#pragma once

#include <utility>

#include "core/platform/UpdaterController.h"

namespace plovik {

// The updater of the simulated desktop: flags a test can set as the update component
// would, and a count of the checks asked for. Distributions deliver updates on Linux,
// so nothing is ever downloaded.
class SimulatedUpdaterController final : public UpdaterController {
  public:
    SimulatedUpdaterController() = default;
    SimulatedUpdaterController(const SimulatedUpdaterController&) = delete;
    SimulatedUpdaterController& operator=(const SimulatedUpdaterController&) = delete;

    Published<bool>& canCheckForUpdates() override { return canCheckForUpdates_; }
    Published<bool>& automaticallyChecksForUpdates() override {
        return automaticallyChecksForUpdates_;
    }
    Published<bool>& automaticallyDownloadsUpdates() override {
        return automaticallyDownloadsUpdates_;
    }
    Published<bool>& allowsAutomaticUpdates() override { return allowsAutomaticUpdates_; }

    void setAutomaticallyChecksForUpdates(bool checks) override {
        automaticallyChecksForUpdates_ = checks;
    }
    void setAutomaticallyDownloadsUpdates(bool downloads) override {
        automaticallyDownloadsUpdates_ = downloads;
    }
    void checkForUpdates() override { ++checkCount_; }
    std::optional<std::string> unavailableReason() const override { return unavailableReason_; }

    void setUnavailableReason(std::optional<std::string> reason) {
        unavailableReason_ = std::move(reason);
    }
    int checkCount() const { return checkCount_; }

  private:
    Published<bool> canCheckForUpdates_{true};
    Published<bool> automaticallyChecksForUpdates_{true};
    Published<bool> automaticallyDownloadsUpdates_{false};
    Published<bool> allowsAutomaticUpdates_{true};
    int checkCount_ = 0;
    std::optional<std::string> unavailableReason_;
};

}  // namespace plovik
