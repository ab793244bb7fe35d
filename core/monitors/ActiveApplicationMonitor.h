#pragma once

#include <optional>
#include <string>

#include "core/platform/ActiveApplication.h"
#include "core/support/Published.h"

namespace plovik {

// Publishes the identifier and name of the application in front.
class ActiveApplicationMonitor {
  public:
    explicit ActiveApplicationMonitor(ActiveApplication& workspace);
    ActiveApplicationMonitor(const ActiveApplicationMonitor&) = delete;
    ActiveApplicationMonitor& operator=(const ActiveApplicationMonitor&) = delete;

    Published<std::optional<std::string>>& bundleIdentifier() { return bundleIdentifier_; }
    Published<std::optional<std::string>>& displayName() { return displayName_; }
    const std::optional<std::string>& currentBundleIdentifier() const {
        return bundleIdentifier_.get();
    }

  private:
    void applicationActivated(const ApplicationActivation& activation);

    Published<std::optional<std::string>> bundleIdentifier_;
    Published<std::optional<std::string>> displayName_;
    // Declared last: the registration ends before the published values go away.
    Subscription observer_;
};

}  // namespace plovik
