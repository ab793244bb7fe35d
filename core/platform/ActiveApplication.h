#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/support/Published.h"

namespace plovik {

// A running application as the workspace describes it.
struct RunningApplication {
    std::int32_t processIdentifier = 0;
    // The application's identifier (on Linux its desktop-entry id).
    std::optional<std::string> bundleIdentifier;
    std::optional<std::string> localizedName;

    bool operator==(const RunningApplication&) const = default;
};

// An application was activated; the notification may lack the application.
struct ApplicationActivation {
    std::optional<RunningApplication> application;

    bool operator==(const ApplicationActivation&) const = default;
};

class ActiveApplication {
  public:
    using ActivationObserver = std::function<void(const ApplicationActivation&)>;

    virtual ~ActiveApplication() = default;

    virtual std::optional<RunningApplication> frontmostApplication() const = 0;
    virtual std::optional<RunningApplication> runningApplication(
        std::int32_t processIdentifier) const = 0;
    // Observers are called on the main thread; the registration ends with the subscription.
    [[nodiscard]] virtual Subscription observeActivations(ActivationObserver observer) = 0;
    // False when nothing could open the address.
    virtual bool openUrl(const std::string& url) = 0;
};

}  // namespace plovik
