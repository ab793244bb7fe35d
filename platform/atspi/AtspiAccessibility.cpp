#include "platform/atspi/AtspiAccessibility.h"

#include "platform/atspi/AtspiElement.h"

namespace plovik {

AtspiAccessibility::AtspiAccessibility(std::chrono::milliseconds callTimeout)
    : callTimeout_(callTimeout) {
    connect();
}

bool AtspiAccessibility::connect() const {
    if (!connection_ && status_.isTrusted()) {
        connection_ = AtspiConnection::open(callTimeout_);
        if (connection_) {
            tracker_ = std::make_unique<AtspiFocusTracker>(*connection_);
        }
    }
    return connection_ != nullptr;
}

const AtspiConnection* AtspiAccessibility::connection() const {
    connect();
    return connection_.get();
}

void AtspiAccessibility::abandon() {
    if (tracker_) {
        tracker_->abandon();
    }
}

AtspiFocusTracker* AtspiAccessibility::focusTracker() const {
    connect();
    return tracker_.get();
}

AccessibilityResult<AccessibilityElementRef> AtspiAccessibility::systemWideFocusedElement() const {
    if (!connect()) {
        return AccessibilityResult<AccessibilityElementRef>::failure(
            AccessibilityStatus::apiDisabled);
    }
    const auto focused = tracker_->focused();
    if (!focused) {
        return AccessibilityResult<AccessibilityElementRef>::failure(AccessibilityStatus::noValue);
    }
    return AccessibilityResult<AccessibilityElementRef>::success(
        std::make_shared<AtspiElement>(*focused));
}

AccessibilityElementRef AtspiAccessibility::applicationElement(
    std::int32_t processIdentifier) const {
    if (!connect()) {
        return nullptr;
    }
    for (const auto& application : connection_->applications()) {
        if (application.processId() == processIdentifier) {
            return std::make_shared<AtspiElement>(application);
        }
    }
    return nullptr;
}

bool AtspiAccessibility::isProcessTrusted() const {
    return status_.isTrusted();
}

bool AtspiAccessibility::isProcessTrusted(bool prompt) {
    if (prompt) {
        if (auto notice = status_.enable()) {
            lastNotice_ = std::move(notice);
        }
    }
    return isProcessTrusted();
}

}  // namespace plovik
