#pragma once

#include <optional>
#include <string>

#include "core/platform/Clock.h"
#include "core/settings/AppSettings.h"

namespace plovik {

// Answers where and how corrections may run, from one snapshot of the settings.
// Cheap to build; make a fresh one whenever the settings may have changed.
class ApplicationPolicy {
  public:
    // The clock decides whether a pause is still running; it must outlive the policy.
    ApplicationPolicy(AppSettings settings, const Clock& clock)
        : settings_(std::move(settings)), clock_(&clock) {}

    const AppSettings& settings() const { return settings_; }

    // The first enabled entry with exactly this identifier.
    std::optional<EnabledApplication> application(
        const std::optional<std::string>& bundleIdentifier) const;
    bool allowsAutomaticCorrection(const std::optional<std::string>& bundleIdentifier) const;
    bool allowsManualCorrection(const std::optional<std::string>& bundleIdentifier) const;
    // The enabled entry's threshold, otherwise the global one.
    double threshold(const std::string& bundleIdentifier) const;

  private:
    const EnabledApplication* enabledEntry(const std::string& bundleIdentifier) const;
    bool isPaused() const;
    // Monitoring on, not paused, and an enabled entry for the identifier.
    const EnabledApplication* activeEntry(const std::optional<std::string>& bundleIdentifier) const;

    AppSettings settings_;
    const Clock* clock_;
};

}  // namespace plovik
