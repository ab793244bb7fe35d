#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/ActiveApplication.h"
#include "platform/linux/ActivationNotifier.h"
#include "platform/simulated/SimulatedApplication.h"

namespace plovik {

// Running applications, the one in front, activation notifications and opened
// addresses of the simulated desktop.
class SimulatedActiveApplication final : public ActiveApplication {
  public:
    explicit SimulatedActiveApplication(
        std::weak_ptr<SimulatedAccessibilityEnvironment> environment);

    // Throws std::invalid_argument when the process identifier is taken.
    std::shared_ptr<SimulatedApplication> launch(RunningApplication info);
    // Removes the application; it stops being frontmost without a notification.
    void terminate(std::int32_t processIdentifier);
    std::shared_ptr<SimulatedApplication> application(std::int32_t processIdentifier) const;
    std::shared_ptr<SimulatedApplication> frontmost() const;

    // Brings the application to the front and notifies (also when it already was in
    // front). False for an unknown process.
    bool activate(std::int32_t processIdentifier);
    // Nothing in front (e.g. the login window); no notification.
    void clearFrontmost() { frontmost_.reset(); }
    // A notification whose user information lacks the application.
    void postActivationWithoutApplication();

    const std::vector<std::string>& openedUrls() const { return openedUrls_; }
    void setOpensUrls(bool opens) { opensUrls_ = opens; }

    std::optional<RunningApplication> frontmostApplication() const override;
    std::optional<RunningApplication> runningApplication(
        std::int32_t processIdentifier) const override;
    Subscription observeActivations(ActivationObserver observer) override;
    bool openUrl(const std::string& url) override;

  private:
    std::weak_ptr<SimulatedAccessibilityEnvironment> environment_;
    std::map<std::int32_t, std::shared_ptr<SimulatedApplication>> applications_;
    std::optional<std::int32_t> frontmost_;
    ActivationNotifier activations_;
    std::vector<std::string> openedUrls_;
    bool opensUrls_ = true;
};

}  // namespace plovik
