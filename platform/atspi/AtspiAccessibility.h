#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "core/platform/Accessibility.h"
#include "platform/atspi/AccessibilityBusStatus.h"
#include "platform/atspi/AtspiConnection.h"
#include "platform/atspi/AtspiFocusTracker.h"

namespace plovik {

// The accessibility port on an AT-SPI desktop, and the owner of this process's one
// libatspi connection. It connects to the accessibility bus as
// soon as the bus is reachable and accessibility is on, and keeps the focus from then on.
class AtspiAccessibility final : public Accessibility {
  public:
    explicit AtspiAccessibility(std::chrono::milliseconds callTimeout);

    AccessibilityResult<AccessibilityElementRef> systemWideFocusedElement() const override;
    AccessibilityElementRef applicationElement(std::int32_t processIdentifier) const override;
    bool isProcessTrusted() const override;
    bool isProcessTrusted(bool prompt) override;

    // What the user should be told after the last request switched accessibility on.
    const std::optional<std::string>& lastNotice() const { return lastNotice_; }
    // Null until the accessibility bus could be reached with accessibility on.
    const AtspiConnection* connection() const;
    AtspiFocusTracker* focusTracker() const;
    // The desktop is gone and the process about to end: nothing more is said to the bus.
    void abandon();

  private:
    bool connect() const;

    std::chrono::milliseconds callTimeout_;
    AccessibilityBusStatus status_;
    mutable std::unique_ptr<AtspiConnection> connection_;
    mutable std::unique_ptr<AtspiFocusTracker> tracker_;
    std::optional<std::string> lastNotice_;
};

}  // namespace plovik
