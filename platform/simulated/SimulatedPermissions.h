#pragma once

#include <functional>
#include <memory>

#include "core/platform/KeyboardAccess.h"
#include "platform/simulated/SimulatedAccessibilityEnvironment.h"

namespace plovik {

// The two permission switches of the simulated desktop, and a count of the requests.
// Requests never grant by themselves: as on a real desktop, the user flips the switch.
class SimulatedPermissions final : public KeyboardAccess {
  public:
    explicit SimulatedPermissions(std::shared_ptr<SimulatedAccessibilityEnvironment> environment);

    void setAccessibilityGranted(bool granted) { environment_->trusted = granted; }
    bool accessibilityGranted() const { return environment_->trusted; }
    void setInputMonitoringGranted(bool granted);
    bool inputMonitoringGranted() const { return inputMonitoringGranted_; }

    // Told of every change of the Input Monitoring switch (the desktop's taps follow it).
    void setInputMonitoringListener(std::function<void(bool granted)> listener);

    void recordAccessibilityPrompt() { ++accessibilityPromptCount_; }
    int accessibilityPromptCount() const { return accessibilityPromptCount_; }
    int listenEventRequestCount() const { return listenEventRequestCount_; }

    bool hasAccess() const override { return inputMonitoringGranted_; }
    bool requestAccess() override;

  private:
    std::shared_ptr<SimulatedAccessibilityEnvironment> environment_;
    bool inputMonitoringGranted_ = true;
    std::function<void(bool)> inputMonitoringListener_;
    int accessibilityPromptCount_ = 0;
    int listenEventRequestCount_ = 0;
};

}  // namespace plovik
