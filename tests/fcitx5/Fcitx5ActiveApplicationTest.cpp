#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "fcitx5/FakeModule.h"
#include "platform/fcitx5/Fcitx5ActiveApplication.h"

namespace plovik::testing {
namespace {

TEST(Fcitx5ActiveApplication, TheFrontApplicationIsFcitxsProgramElseTheProcessWithTheFocus) {
    TemporaryDirectory entries;
    std::ofstream(entries.path() / "org.gnome.gedit.desktop")
        << "[Desktop Entry]\nType=Application\nName=Text Editor\nExec=gedit %U\n";
    FakeModule fake;
    Fcitx5ModuleClient client(fake.path());
    TestLoop loop;
    std::optional<std::int32_t> focusedProcess;
    Fcitx5ActiveApplication workspace(client, DesktopEntryCatalog({entries.path()}), loop.queue(),
                                      [&] { return focusedProcess; });
    std::vector<ApplicationActivation> activations;
    const auto subscription = workspace.observeActivations(
        [&](const ApplicationActivation& a) { activations.push_back(a); });
    Fcitx5ModuleClient::Handlers handlers;
    handlers.fieldChanged = [&] { workspace.fieldChanged(); };
    client.setHandlers(handlers);
    ASSERT_FALSE(client.connect());
    EXPECT_FALSE(workspace.frontmostApplication()) << "no field has the focus";

    fake.say(module::Focus{1, true, 0, "gedit", "dbus"});
    ASSERT_TRUE(client.sync());
    EXPECT_EQ(workspace.frontmostApplication()->bundleIdentifier, "org.gnome.gedit");
    EXPECT_EQ(workspace.frontmostApplication()->localizedName, "Text Editor");
    ASSERT_TRUE(loop.runUntil([&] { return activations.size() == 1; }));

    // Wayland's own path names no program: the process with the focus is asked of
    // accessibility.
    fake.say(module::Focus{2, true, 0, "", "wayland_v2"});
    ASSERT_TRUE(client.sync());
    EXPECT_FALSE(workspace.frontmostApplication()) << "accessibility cannot say either";
    loop.runFor(50ms);
    EXPECT_EQ(activations.size(), 1u) << "no application is no activation";

    focusedProcess = ::getpid();
    fake.say(module::Focus{3, true, 0, "", "wayland_v2"});
    ASSERT_TRUE(client.sync());
    const auto self = workspace.frontmostApplication();
    ASSERT_TRUE(self);
    EXPECT_EQ(self->bundleIdentifier, "test_fcitx5");
    EXPECT_EQ(self->processIdentifier, ::getpid());
    ASSERT_TRUE(loop.runUntil([&] { return activations.size() == 2; }));
    EXPECT_EQ(activations[1].application->bundleIdentifier, "test_fcitx5");

    fake.say(module::Focus{4, true, 0, "", "wayland_v2"});
    ASSERT_TRUE(client.sync());
    loop.runFor(50ms);
    EXPECT_EQ(activations.size(), 2u) << "another field of the same application";
    client.close();
}

}  // namespace
}  // namespace plovik::testing
