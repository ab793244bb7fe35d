#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>

#include "DesktopTestSupport.h"
#include "SessionProcesses.h"
#include "platform/virtualsession/BusConnection.h"
#include "platform/virtualsession/DisplayProbe.h"
#include "platform/virtualsession/VirtualSession.h"
#include "support/ProgramRun.h"

namespace plovik {
namespace {

using namespace std::chrono_literals;
using testing::kGenerousWait;
using testing::processesLeftAfter;
using testing::processesWithEnvironment;
using testing::processesWithEnvironmentReach;

// Two cores shared by several test programs: each part may take seconds to come up.
VirtualSessionOptions patientOptions() {
    VirtualSessionOptions options;
    options.partTimeout = kGenerousWait;
    return options;
}

bool displayGoneWithin(const std::string& display, std::chrono::milliseconds timeout) {
    return DisplayProbe::waitFor([&] { return !DisplayProbe::connect(display); }, timeout);
}

std::string markerOf(const VirtualSession& session) {
    for (const auto& entry : session.environment()) {
        if (entry.starts_with("PLOVIK_VIRTUAL_SESSION=")) {
            return entry;
        }
    }
    return {};
}

TEST(VirtualSession, ComesUpWithWindowManagerAndAccessibilityOnAndStopsEverything) {
    PLOVIK_START_SESSION_OR_SKIP(session, patientOptions());
    const auto probe = DisplayProbe::connect(session->display());
    ASSERT_TRUE(probe);
    EXPECT_TRUE(probe->hasWindowManager());
    // Clients of the session find the accessibility bus through the root window.
    EXPECT_TRUE(probe->hasRootProperty("AT_SPI_BUS"));
    const auto bus = BusConnection::open(session->busAddress());
    ASSERT_TRUE(bus);
    EXPECT_EQ(bus->accessibilityEnabled(), std::optional(true));
    const auto accessibilityBus = BusConnection::open(bus->accessibilityBusAddress().value_or(""));
    ASSERT_TRUE(accessibilityBus);
    EXPECT_TRUE(accessibilityBus->nameHasOwner("org.a11y.atspi.Registry"));

    const std::string marker = markerOf(*session);
    // Server, bus, window manager, launcher (with its bus) and registry.
    EXPECT_GE(processesWithEnvironmentReach(marker, 6, kGenerousWait), 6u);
    session->stop();
    EXPECT_EQ(processesLeftAfter(marker, kGenerousWait), std::vector<pid_t>{});
    EXPECT_TRUE(displayGoneWithin(session->display(), kGenerousWait));
}

TEST(VirtualSession, TwoSessionsRunSideBySide) {
    PLOVIK_START_SESSION_OR_SKIP(first, patientOptions());
    PLOVIK_START_SESSION_OR_SKIP(second, patientOptions());
    EXPECT_NE(first->display(), second->display());
    EXPECT_NE(first->busAddress(), second->busAddress());
    first->stop();
    EXPECT_TRUE(DisplayProbe::connect(second->display()));
    const auto bus = BusConnection::open(second->busAddress());
    ASSERT_TRUE(bus);
    EXPECT_EQ(bus->accessibilityEnabled(), std::optional(true));
}

TEST(VirtualSession, StartsTrayHostAndNotificationDaemonWhenAsked) {
    VirtualSessionOptions options = patientOptions();
    options.trayHost = true;
    options.notificationDaemon = true;
    PLOVIK_START_SESSION_OR_SKIP(session, options);
    const auto probe = DisplayProbe::connect(session->display());
    ASSERT_TRUE(probe);
    EXPECT_TRUE(probe->hasSelectionOwner("_NET_SYSTEM_TRAY_S0"));
    const auto bus = BusConnection::open(session->busAddress());
    ASSERT_TRUE(bus);
    EXPECT_TRUE(bus->nameHasOwner("org.freedesktop.Notifications"));
    const std::string marker = markerOf(*session);
    session->stop();
    EXPECT_EQ(processesLeftAfter(marker, kGenerousWait), std::vector<pid_t>{});
}

TEST(VirtualSession, ReportsAMissingProgramAsMissingAndLeavesNothingBehind) {
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", "/nonexistent", 1);
    std::optional<VirtualSessionError> failure;
    try {
        VirtualSession session;
    } catch (const VirtualSessionError& error) {
        failure = error;
    }
    ::setenv("PATH", path.c_str(), 1);
    ASSERT_TRUE(failure);
    EXPECT_TRUE(failure->toolMissing());
    EXPECT_NE(std::string(failure->what()).find("Xvfb"), std::string::npos);
}

TEST(VirtualSession, LaunchedProgramsSeeTheSessionAndNotTheCallersDesktop) {
    ::setenv("AT_SPI_BUS_ADDRESS", "unix:path=/nonexistent", 1);
    PLOVIK_START_SESSION_OR_SKIP(session, patientOptions());
    ::unsetenv("AT_SPI_BUS_ADDRESS");
    auto shell = session->launch("sh",
                                 {"-c",
                                  "echo \"$DISPLAY|$DBUS_SESSION_BUS_ADDRESS|"
                                  "${AT_SPI_BUS_ADDRESS-unset}\""},
                                 true);
    std::string output;
    char chunk[512];
    ssize_t count;
    while ((count = ::read(shell.standardOutput(), chunk, sizeof chunk)) > 0) {
        output.append(chunk, static_cast<std::size_t>(count));
    }
    // Qt never activates its bridge when this variable is set.
    EXPECT_EQ(output, session->display() + "|" + session->busAddress() + "|unset\n");
}

std::string sessionProgram() {
    return PLOVIK_BUILD_DIR "/tools/plovik-session";
}

TEST(PlovikSession, RunsTheCommandInsideAndExitsWithItsStatus) {
    const auto run = testing::runBuiltProgram(
        "plovik-session",
        {"--", "sh", "-c", "xprop -root _NET_SUPPORTING_WM_CHECK >/dev/null && exit 3"}, "");
    if (run.status == 77) {
        GTEST_SKIP() << run.err;
    }
    EXPECT_EQ(run.status, 3) << run.err;
}

TEST(PlovikSession, RejectsUnknownArgumentsWithUsage) {
    const auto run = testing::runBuiltProgram("plovik-session", {"--bogus"}, "");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("usage: plovik-session"), std::string::npos);
}

// Starts plovik-session around a long-running command and returns it with the session's
// marker once the command runs.
struct RunningSession {
    std::optional<ChildProcess> process;
    std::string marker;
};

RunningSession startLongSession() {
    ChildProcessOptions options;
    for (char** entry = environ; *entry; ++entry) {
        options.environment.emplace_back(*entry);
    }
    options.pipeStandardOutput = true;
    RunningSession running;
    running.process.emplace(sessionProgram(),
                            std::vector<std::string>{"--", "sh", "-c",
                                                     "echo \"PLOVIK_VIRTUAL_SESSION="
                                                     "$PLOVIK_VIRTUAL_SESSION\"; exec sleep 60"},
                            options);
    char c = 0;
    while (::read(running.process->standardOutput(), &c, 1) == 1 && c != '\n') {
        running.marker += c;
    }
    return running;
}

class PlovikSessionStopping : public ::testing::TestWithParam<int> {};

TEST_P(PlovikSessionStopping, StopsEverythingWhenItIsStopped) {
    auto running = startLongSession();
    if (!running.marker.starts_with("PLOVIK_VIRTUAL_SESSION=/")) {
        GTEST_SKIP() << "plovik-session did not start: " << running.marker;
    }
    // The command, the server, the buses, the window manager and the registry.
    ASSERT_GE(processesWithEnvironmentReach(running.marker, 7, kGenerousWait), 7u);
    ::kill(running.process->pid(), GetParam());
    const auto status = running.process->waitForExit(kGenerousWait);
    ASSERT_TRUE(status);
    EXPECT_EQ(processesLeftAfter(running.marker, kGenerousWait), std::vector<pid_t>{});
}

INSTANTIATE_TEST_SUITE_P(Signals, PlovikSessionStopping,
                         ::testing::Values(SIGTERM, SIGINT, SIGHUP, SIGKILL),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

}  // namespace
}  // namespace plovik
