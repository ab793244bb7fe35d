#include <gtest/gtest.h>

#include <cstdlib>

#include "AtspiDesktop.h"
#include "platform/x11/EwmhWorkspace.h"
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
        writeFile(entries_.path() / "plovik-qt.desktop",
                  "[Desktop Entry]\nType=Application\nName=Qt Fixture\n"
                  "StartupWMClass=plovik-fixture-qt\n");
        workspace_ = EwmhWorkspace::connect(desktop_->session.display(),
                                            DesktopEntryCatalog({entries_.path()}));
        ASSERT_TRUE(workspace_);
        subscription_ =
            workspace_->observeActivations([this](const ApplicationActivation& activation) {
                activations_.push_back(activation);
            });
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
    std::unique_ptr<EwmhWorkspace> workspace_;
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

TEST_F(EwmhWorkspaceTest, AProcessWithoutWindowIsKnownByItsProgram) {
    const auto self = workspace_->runningApplication(::getpid());
    ASSERT_TRUE(self);
    EXPECT_EQ(self->bundleIdentifier, std::optional<std::string>("test_desktop"));
    EXPECT_FALSE(workspace_->runningApplication(0));
}

}  // namespace
}  // namespace plovik::testing
