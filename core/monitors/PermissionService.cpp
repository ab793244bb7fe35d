#include "core/monitors/PermissionService.h"

#include <string>

namespace plovik {

PermissionService::PermissionService(Accessibility& accessibility, KeyboardAccess& inputMonitoring,
                                     ActiveApplication& workspace)
    : accessibility_(accessibility), inputMonitoring_(inputMonitoring), workspace_(workspace) {}

PermissionSnapshot PermissionService::snapshot() const {
    return {accessibility_.isProcessTrusted(), inputMonitoring_.hasAccess()};
}

void PermissionService::requestAccessibility() {
    (void)accessibility_.isProcessTrusted(true);
}

void PermissionService::requestAccessibilityAndOpenSettings() {
    requestAccessibility();
    openAccessibilitySettings();
}

void PermissionService::openAccessibilitySettings() {
    openSettingsPage(kAccessibilitySettingsUrl);
}

void PermissionService::requestInputMonitoring() {
    (void)inputMonitoring_.requestAccess();
}

void PermissionService::requestInputMonitoringAndOpenSettings() {
    requestInputMonitoring();
    openInputMonitoringSettings();
}

void PermissionService::openInputMonitoringSettings() {
    openSettingsPage(kInputMonitoringSettingsUrl);
}

void PermissionService::openSettingsPage(const char* url) {
    // Nothing to report when no settings program opens the page.
    (void)workspace_.openUrl(url);
}

}  // namespace plovik
