#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "AtspiDesktop.h"
#include "platform/x11/EwmhActiveApplication.h"
#include "platform/x11/XcbHandles.h"
#include "support/TemporaryDirectory.h"

namespace plovik {

void PrintTo(const RunningApplication& application, std::ostream* out) {
    *out << application.processIdentifier << "/" << application.bundleIdentifier.value_or("-")
         << "/" << application.localizedName.value_or("-");
}

void PrintTo(const ApplicationActivation& activation, std::ostream* out) {
    if (activation.application) {
        PrintTo(*activation.application, out);
    } else {
        *out << "(none)";
    }
}

}  // namespace plovik

namespace plovik::testing {
namespace {

class EwmhWorkspaceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const auto toolkit : {Toolkit::gtk, Toolkit::qt}) {
            if (!fixtureBuilt(toolkit)) {
                GTEST_SKIP() << "the " << toolkitName(toolkit) << " fixture was not built";
            }
        }
        std::string whyNot;
        bool toolMissing = false;
        desktop_ = sharedDesktop(whyNot, toolMissing);
        if (!desktop_ && toolMissing) {
            GTEST_SKIP() << whyNot;
        }
        ASSERT_TRUE(desktop_) << whyNot;
        writeFile(entries_.path() / "org.plovik.FixtureGtk.desktop",
                  "[Desktop Entry]\nType=Application\nName=GTK Fixture\n");
        writeFile(entries_.path() / "org.example.Writer.desktop",
                  "[Desktop Entry]\nType=Application\nName=Writer\n"
                  "StartupWMClass=example-writer\n");
        writeFile(entries_.path() / "plovik-qt.desktop",
                  "[Desktop Entry]\nType=Application\nName=Qt Fixture\n"
                  "StartupWMClass=plovik-fixture-qt\n");
        workspace_ = EwmhActiveApplication::connect(desktop_->session.display(),
                                                    DesktopEntryCatalog({entries_.path()}));
        ASSERT_TRUE(workspace_);
        subscription_ =
            workspace_->observeActivations([this](const ApplicationActivation& activation) {
                activations_.push_back(activation);
            });
    }

    // The window the window manager lists for the process.
    static xcb_window_t managedWindowOf(xcb_connection_t* connection, pid_t pid) {
        const auto atom = [&](const char* name) {
            const auto reply = xcb::owned(xcb_intern_atom_reply(
                connection,
                xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
                nullptr));
            return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
        };
        const auto property = [&](xcb_window_t window, xcb_atom_t name, xcb_atom_t type) {
            const auto reply = xcb::owned(xcb_get_property_reply(
                connection, xcb_get_property(connection, 0, window, name, type, 0, 1024), nullptr));
            std::vector<std::uint32_t> values;
            if (reply && reply->format == 32) {
                const auto* data =
                    static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
                values.assign(data, data + xcb_get_property_value_length(reply.get()) / 4);
            }
            return values;
        };
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        for (const auto window : property(root, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW)) {
            const auto owner = property(window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL);
            if (!owner.empty() && owner.front() == static_cast<std::uint32_t>(pid)) {
                return window;
            }
        }
        return XCB_WINDOW_NONE;
    }

    // Waits until the window manager has put `pid` in front and that was reported.
    // Switches quicker than the main loop runs are reported as the last one alone.
    bool waitForFront(pid_t pid) {
        return pumpUntil([&] {
            const auto front = workspace_->frontmostApplication();
            return front && front->processIdentifier == pid && !activations_.empty() &&
                   activations_.back().application->processIdentifier == pid;
        });
    }

    AtspiDesktop* desktop_ = nullptr;
    TemporaryDirectory entries_;
    std::unique_ptr<EwmhActiveApplication> workspace_;
    Subscription subscription_;
    std::vector<ApplicationActivation> activations_;
};

TEST_F(EwmhWorkspaceTest, IdentifiesTheActiveApplicationAndReportsEachSwitch) {
    EXPECT_TRUE(workspace_->hasWindowManager());
    FixtureWindow gtk(desktop_->session, Toolkit::gtk);
    ASSERT_TRUE(gtk.waitUntilReady());
    ASSERT_TRUE(waitForFront(gtk.pid()));
    const RunningApplication gtkApplication{gtk.pid(), "org.plovik.FixtureGtk", "GTK Fixture"};
    EXPECT_EQ(workspace_->frontmostApplication(), gtkApplication);

    FixtureWindow qt(desktop_->session, Toolkit::qt);
    ASSERT_TRUE(qt.waitUntilReady());
    ASSERT_TRUE(waitForFront(qt.pid()));
    const RunningApplication qtApplication{qt.pid(), "plovik-qt", "Qt Fixture"};
    EXPECT_EQ(workspace_->frontmostApplication(), qtApplication);

    ASSERT_TRUE(gtk.focus(fixture::Field::single));
    ASSERT_TRUE(waitForFront(gtk.pid()));
    pumpFor(std::chrono::milliseconds(100));
    EXPECT_EQ(activations_, (std::vector<ApplicationActivation>{
                                {gtkApplication}, {qtApplication}, {gtkApplication}}));

    EXPECT_EQ(workspace_->runningApplication(qt.pid()), qtApplication);
    EXPECT_EQ(workspace_->runningApplication(gtk.pid()), gtkApplication);
}

// LibreOffice names its module in the window's class only after the window is up.
TEST_F(EwmhWorkspaceTest, AWindowClassGivenAfterActivationIsFollowed) {
    FixtureWindow qt(desktop_->session, Toolkit::qt);
    ASSERT_TRUE(qt.waitUntilReady());
    ASSERT_TRUE(waitForFront(qt.pid()));
    xcb_connection_t* connection = xcb_connect(desktop_->session.display().c_str(), nullptr);
    const xcb_window_t window = managedWindowOf(connection, qt.pid());
    ASSERT_NE(window, XCB_WINDOW_NONE);
    const std::string wmClass("example\0example-writer\0", 23);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS,
                        XCB_ATOM_STRING, 8, static_cast<std::uint32_t>(wmClass.size()),
                        wmClass.data());
    xcb_flush(connection);
    EXPECT_TRUE(pumpUntil([&] {
        return activations_.back().application->bundleIdentifier ==
               std::optional<std::string>("org.example.Writer");
    })) << activations_.size();
    EXPECT_EQ(workspace_->frontmostApplication(),
              (RunningApplication{qt.pid(), "org.example.Writer", "Writer"}));
    xcb_disconnect(connection);
}

TEST_F(EwmhWorkspaceTest, AProcessWithoutWindowIsKnownByItsProgram) {
    const auto self = workspace_->runningApplication(::getpid());
    ASSERT_TRUE(self);
    EXPECT_EQ(self->bundleIdentifier, std::optional<std::string>("test_desktop"));
    EXPECT_FALSE(workspace_->runningApplication(0));
}

}  // namespace
}  // namespace plovik::testing
