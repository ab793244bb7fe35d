#pragma once

#include <memory>
#include <string>

#include "core/platform/Accessibility.h"
#include "platform/simulated/SimulatedActiveApplication.h"
#include "platform/simulated/SimulatedPermissions.h"

namespace plovik {

// Accessibility over the simulated applications: the frontmost application's focused
// element, application elements, the trust switch, access counters and a hook.
class SimulatedAccessibility final : public Accessibility {
  public:
    SimulatedAccessibility(std::shared_ptr<SimulatedAccessibilityEnvironment> environment,
                           const SimulatedActiveApplication& workspace,
                           SimulatedPermissions& permissions);

    // How often an attribute ("children", "set selectedText", ...) was accessed.
    int accessCount(const std::string& attribute) const;
    void resetAccessCounts() { environment_->accessCounts.clear(); }
    // Runs before every access is answered; tests use it to act mid-procedure.
    void setAccessHook(std::function<void(const std::string& attribute)> hook) {
        environment_->onAccess = std::move(hook);
    }

    AccessibilityResult<AccessibilityElementRef> systemWideFocusedElement() const override;
    AccessibilityElementRef applicationElement(std::int32_t processIdentifier) const override;
    bool isProcessTrusted() const override { return permissions_.accessibilityGranted(); }
    bool isProcessTrusted(bool prompt) override;

  private:
    std::shared_ptr<SimulatedAccessibilityEnvironment> environment_;
    const SimulatedActiveApplication& workspace_;
    SimulatedPermissions& permissions_;
};

}  // namespace plovik
