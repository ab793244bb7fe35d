#pragma once

#include "core/monitors/PermissionSnapshot.h"
#include "core/platform/Accessibility.h"
#include "core/platform/ActiveApplication.h"
#include "core/platform/KeyboardAccess.h"

namespace plovik {

// Reports and requests the Accessibility and Input Monitoring permissions, and opens
// the desktop settings where the user grants them.
class PermissionService {
  public:
    // Settings pages, opened through the workspace. The desktop backend resolves the
    // "settings:" scheme to its own settings program (e.g. the GNOME or KDE panel).
    static constexpr const char* kAccessibilitySettingsUrl = "settings:universal-access";
    static constexpr const char* kInputMonitoringSettingsUrl = "settings:keyboard";

    PermissionService(Accessibility& accessibility, KeyboardAccess& inputMonitoring,
                      ActiveApplication& workspace);

    PermissionSnapshot snapshot() const;

    void requestAccessibility();
    void requestAccessibilityAndOpenSettings();
    void openAccessibilitySettings();

    void requestInputMonitoring();
    void requestInputMonitoringAndOpenSettings();
    void openInputMonitoringSettings();

  private:
    void openSettingsPage(const char* url);

    Accessibility& accessibility_;
    KeyboardAccess& inputMonitoring_;
    ActiveApplication& workspace_;
};

}  // namespace plovik
