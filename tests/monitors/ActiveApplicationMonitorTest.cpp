#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/monitors/ActiveApplicationMonitor.h"
#include "platform/simulated/SimulatedDesktop.h"

namespace plovik {
namespace {

using Names = std::vector<std::optional<std::string>>;

TEST(ActiveApplicationMonitor, StartsFromTheFrontmostApplication) {
    SimulatedDesktop desktop;
    {
        ActiveApplicationMonitor monitor(desktop.workspace());
        EXPECT_EQ(monitor.currentBundleIdentifier(), std::nullopt);
        EXPECT_EQ(monitor.displayName().get(), std::nullopt);
    }
    desktop.launch("org.gnome.TextEditor", "Text Editor", 10);
    desktop.activate(10);
    ActiveApplicationMonitor monitor(desktop.workspace());
    EXPECT_EQ(monitor.currentBundleIdentifier(), "org.gnome.TextEditor");
    EXPECT_EQ(monitor.displayName().get(), "Text Editor");
}

TEST(ActiveApplicationMonitor, PublishesEveryActivation) {
    SimulatedDesktop desktop;
    desktop.launch("org.gnome.TextEditor", "Text Editor", 10);
    desktop.launch(std::nullopt, "xterm", 11);
    desktop.launch("org.example.Nameless", std::nullopt, 12);
    desktop.activate(10);
    ActiveApplicationMonitor monitor(desktop.workspace());
    Names identifiers;
    Names names;
    auto s1 = monitor.bundleIdentifier().subscribe(
        [&](const std::optional<std::string>& v) { identifiers.push_back(v); });
    auto s2 = monitor.displayName().subscribe(
        [&](const std::optional<std::string>& v) { names.push_back(v); });

    // Unchanged values are published again.
    desktop.activate(10);
    // Without an identifier: the identifier becomes absent, the name is still set.
    desktop.activate(11);
    // A notification without an application changes nothing.
    desktop.workspace().postActivationWithoutApplication();
    desktop.activate(12);
    EXPECT_EQ(identifiers, (Names{"org.gnome.TextEditor", "org.gnome.TextEditor", std::nullopt,
                                  "org.example.Nameless"}));
    EXPECT_EQ(names, (Names{"Text Editor", "Text Editor", "xterm", std::nullopt}));
    EXPECT_EQ(monitor.currentBundleIdentifier(), "org.example.Nameless");
    // Terminating the frontmost application resets nothing.
    desktop.workspace().terminate(12);
    EXPECT_EQ(monitor.currentBundleIdentifier(), "org.example.Nameless");
}

TEST(ActiveApplicationMonitor, StopsObservingWhenDestroyed) {
    SimulatedDesktop desktop;
    desktop.launch("org.gnome.TextEditor", "Text Editor", 10);
    int deliveries = 0;
    {
        auto monitor = std::make_unique<ActiveApplicationMonitor>(desktop.workspace());
        auto subscription = monitor->bundleIdentifier().subscribe(
            [&](const std::optional<std::string>&) { ++deliveries; });
        desktop.activate(10);
        EXPECT_EQ(deliveries, 2);
        subscription.cancel();
    }
    // The workspace no longer calls into the destroyed monitor.
    EXPECT_TRUE(desktop.activate(10));
    EXPECT_EQ(deliveries, 2);
}

}  // namespace
}  // namespace plovik
