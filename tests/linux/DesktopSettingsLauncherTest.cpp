#include <gtest/gtest.h>

#include <set>

#include "platform/linux/DesktopSettingsLauncher.h"

namespace plovik {
namespace {

using Command = std::vector<std::string>;

struct Desktop {
    std::set<std::string> installed;
    std::vector<Command> started;
    bool starts = true;

    DesktopSettingsLauncher launcher(const std::string& current) {
        return DesktopSettingsLauncher(
            current, [this](const std::string& program) { return installed.count(program) > 0; },
            [this](const Command& command) {
                started.push_back(command);
                return starts;
            });
    }
};

TEST(DesktopSettingsLauncher, OpensThePageOfTheRunningDesktopsSettings) {
    Desktop desktop;
    desktop.installed = {"gnome-control-center", "systemsettings"};
    EXPECT_TRUE(desktop.launcher("KDE").open("settings:universal-access"));
    EXPECT_TRUE(desktop.launcher("ubuntu:GNOME").open("settings:keyboard"));
    EXPECT_EQ(desktop.started, (std::vector<Command>{{"systemsettings", "kcm_access"},
                                                     {"gnome-control-center", "keyboard"}}));
}

TEST(DesktopSettingsLauncher, UsesAnotherDesktopsSettingsWhenTheOwnAreMissing) {
    Desktop desktop;
    desktop.installed = {"xfce4-accessibility-settings"};
    EXPECT_EQ(desktop.launcher("GNOME").commandFor("settings:universal-access"),
              std::optional<Command>({"xfce4-accessibility-settings"}));
    EXPECT_EQ(desktop.launcher("").commandFor("settings:universal-access"),
              std::optional<Command>({"xfce4-accessibility-settings"}));
}

TEST(DesktopSettingsLauncher, FailsWhenNothingCanOpenThePage) {
    Desktop desktop;
    EXPECT_FALSE(desktop.launcher("GNOME").open("settings:universal-access"));
    desktop.installed = {"gnome-control-center"};
    EXPECT_FALSE(desktop.launcher("GNOME").open("settings:no-such-page"));
    EXPECT_FALSE(desktop.launcher("GNOME").open("https://example.org"));
    EXPECT_TRUE(desktop.started.empty());
    desktop.starts = false;
    EXPECT_FALSE(desktop.launcher("GNOME").open("settings:keyboard"));
}

}  // namespace
}  // namespace plovik
