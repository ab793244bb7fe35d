#include "core/decision/ApplicationPolicy.h"

#include <algorithm>

namespace plovik {

const EnabledApplication* ApplicationPolicy::enabledEntry(
    const std::string& bundleIdentifier) const {
    const auto& list = settings_.applications;
    const auto found = std::find_if(list.begin(), list.end(), [&](const EnabledApplication& entry) {
        return entry.isEnabled && entry.bundleIdentifier == bundleIdentifier;
    });
    return found == list.end() ? nullptr : &*found;
}

bool ApplicationPolicy::isPaused() const {
    return settings_.pauseUntil.has_value() && clock_->now() < *settings_.pauseUntil;
}

const EnabledApplication* ApplicationPolicy::activeEntry(
    const std::optional<std::string>& bundleIdentifier) const {
    if (!settings_.monitoringEnabled || isPaused() || !bundleIdentifier) {
        return nullptr;
    }
    return enabledEntry(*bundleIdentifier);
}

std::optional<EnabledApplication> ApplicationPolicy::application(
    const std::optional<std::string>& bundleIdentifier) const {
    if (!bundleIdentifier) {
        return std::nullopt;
    }
    const auto* entry = enabledEntry(*bundleIdentifier);
    return entry ? std::optional<EnabledApplication>(*entry) : std::nullopt;
}

bool ApplicationPolicy::allowsAutomaticCorrection(
    const std::optional<std::string>& bundleIdentifier) const {
    if (!settings_.monitoringEnabled || !settings_.automaticCorrectionEnabled) {
        return false;
    }
    const auto* entry = activeEntry(bundleIdentifier);
    return entry != nullptr && entry->automaticCorrectionEnabled;
}

bool ApplicationPolicy::allowsManualCorrection(
    const std::optional<std::string>& bundleIdentifier) const {
    const auto* entry = activeEntry(bundleIdentifier);
    return entry != nullptr && entry->manualCorrectionEnabled;
}

double ApplicationPolicy::threshold(const std::string& bundleIdentifier) const {
    const auto* entry = enabledEntry(bundleIdentifier);
    return entry ? entry->confidenceThreshold : settings_.confidenceThreshold;
}

}  // namespace plovik
