#include "platform/simulated/SimulatedAccessibility.h"

namespace plovik {

SimulatedAccessibility::SimulatedAccessibility(
    std::shared_ptr<SimulatedAccessibilityEnvironment> environment,
    const SimulatedActiveApplication& workspace, SimulatedPermissions& permissions)
    : environment_(std::move(environment)), workspace_(workspace), permissions_(permissions) {}

int SimulatedAccessibility::accessCount(const std::string& attribute) const {
    const auto found = environment_->accessCounts.find(attribute);
    return found == environment_->accessCounts.end() ? 0 : found->second;
}

AccessibilityResult<AccessibilityElementRef> SimulatedAccessibility::systemWideFocusedElement()
    const {
    using Result = AccessibilityResult<AccessibilityElementRef>;
    ++environment_->accessCounts["systemWideFocusedElement"];
    if (environment_->onAccess) {
        const auto hook = environment_->onAccess;
        hook("systemWideFocusedElement");
    }
    if (!environment_->trusted) {
        return Result::failure(AccessibilityStatus::apiDisabled);
    }
    const auto application = workspace_.frontmost();
    const auto element = application ? application->focusedElement() : nullptr;
    if (!element || !element->quirks().reportsFocusToSystemWide) {
        return Result::failure(AccessibilityStatus::noValue);
    }
    return Result::success(element);
}

AccessibilityElementRef SimulatedAccessibility::applicationElement(
    std::int32_t processIdentifier) const {
    const auto application = workspace_.application(processIdentifier);
    return application ? application->applicationElement() : nullptr;
}

bool SimulatedAccessibility::isProcessTrusted(bool prompt) {
    if (prompt) {
        permissions_.recordAccessibilityPrompt();
    }
    return permissions_.accessibilityGranted();
}

}  // namespace plovik
