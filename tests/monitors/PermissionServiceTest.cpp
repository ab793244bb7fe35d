#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/monitors/PermissionService.h"
#include "platform/simulated/SimulatedDesktop.h"

namespace plovik {
namespace {

struct PermissionFixture {
    SimulatedDesktop desktop;
    PermissionService service{desktop.accessibility(), desktop.permissions(), desktop.workspace()};
};

TEST(PermissionService, TakesASnapshotOfBothPermissionsOnEveryCall) {
    PermissionFixture fixture;
    auto& permissions = fixture.desktop.permissions();
    for (const bool accessibility : {false, true}) {
        for (const bool inputMonitoring : {false, true}) {
            permissions.setAccessibilityGranted(accessibility);
            permissions.setInputMonitoringGranted(inputMonitoring);
            const auto snapshot = fixture.service.snapshot();
            EXPECT_EQ(snapshot, (PermissionSnapshot{accessibility, inputMonitoring}));
            EXPECT_EQ(snapshot.isReady(), accessibility && inputMonitoring);
        }
    }
    EXPECT_EQ(permissions.accessibilityPromptCount(), 0);
    EXPECT_EQ(permissions.listenEventRequestCount(), 0);
}

TEST(PermissionService, RequestsAndOpensTheMatchingSettingsPage) {
    using Urls = std::vector<std::string>;
    const std::string accessibilityPage = PermissionService::kAccessibilitySettingsUrl;
    const std::string inputPage = PermissionService::kInputMonitoringSettingsUrl;
    PermissionFixture fixture;
    auto& permissions = fixture.desktop.permissions();
    auto& workspace = fixture.desktop.workspace();
    permissions.setAccessibilityGranted(false);
    permissions.setInputMonitoringGranted(false);

    fixture.service.requestAccessibility();
    EXPECT_EQ(permissions.accessibilityPromptCount(), 1);
    EXPECT_TRUE(workspace.openedUrls().empty());
    fixture.service.requestAccessibilityAndOpenSettings();
    EXPECT_EQ(permissions.accessibilityPromptCount(), 2);
    EXPECT_EQ(workspace.openedUrls(), Urls{accessibilityPage});
    fixture.service.openAccessibilitySettings();
    EXPECT_EQ(permissions.accessibilityPromptCount(), 2);

    fixture.service.requestInputMonitoring();
    EXPECT_EQ(permissions.listenEventRequestCount(), 1);
    fixture.service.requestInputMonitoringAndOpenSettings();
    fixture.service.openInputMonitoringSettings();
    EXPECT_EQ(permissions.listenEventRequestCount(), 2);
    EXPECT_EQ(workspace.openedUrls(),
              (Urls{accessibilityPage, accessibilityPage, inputPage, inputPage}));
    // Requests ask; they grant nothing by themselves.
    EXPECT_FALSE(fixture.service.snapshot().accessibilityGranted);
    EXPECT_FALSE(fixture.service.snapshot().inputMonitoringGranted);
    EXPECT_NE(accessibilityPage, inputPage);

    // Nothing opens the page: nothing happens, nothing is raised.
    workspace.setOpensUrls(false);
    fixture.service.requestAccessibilityAndOpenSettings();
    EXPECT_EQ(workspace.openedUrls().size(), 4u);
    EXPECT_EQ(permissions.accessibilityPromptCount(), 3);
}

}  // namespace
}  // namespace plovik
