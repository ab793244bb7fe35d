#pragma once

namespace plovik {

// The two permissions Plovik needs, as last asked.
struct PermissionSnapshot {
    bool accessibilityGranted = false;
    bool inputMonitoringGranted = false;

    bool isReady() const { return accessibilityGranted && inputMonitoringGranted; }

    bool operator==(const PermissionSnapshot&) const = default;
};

}  // namespace plovik
