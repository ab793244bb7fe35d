#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "SessionProcesses.h"
#include "platform/virtualsession/ChildProcess.h"
#include "platform/virtualsession/ProcFile.h"
#include "platform/virtualsession/ProcessIdentity.h"

namespace plovik {
namespace {

using namespace std::chrono_literals;

std::vector<std::string> currentEnvironment() {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        environment.emplace_back(*entry);
    }
    return environment;
}

TEST(ProcFile, ReadsALiveProcessAndAnswersAbsentForOneThatIsGone) {
    const auto own = ProcFile::read("/proc/self/stat");
    ASSERT_TRUE(own);
    EXPECT_TRUE(own->starts_with(std::to_string(::getpid()) + " ("));
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    EXPECT_FALSE(ProcFile::read("/proc/" + std::to_string(child) + "/stat"));
}

TEST(ProcessIdentity, AZombieCountsAsGoneAndIsNotSignalled) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::pause();
        ::_exit(0);
    }
    const auto identity = ProcessIdentity::of(child);
    ASSERT_TRUE(identity);
    EXPECT_TRUE(identity->isRunning());
    ASSERT_TRUE(identity->signal(SIGKILL));
    // Not reaped yet: a zombie until waitpid below.
    for (int i = 0; i < 200 && identity->isRunning(); ++i) {
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_FALSE(identity->isRunning());
    EXPECT_FALSE(ProcessIdentity::of(child));
    EXPECT_FALSE(identity->signal(SIGTERM));
    ::waitpid(child, nullptr, 0);
}

TEST(ProcessIdentity, NothingIsKnownOfAnIdThatRunsNothing) {
    EXPECT_FALSE(ProcessIdentity::of(0));
    EXPECT_FALSE(ProcessIdentity::of(-1));
}

TEST(ChildProcess, StoppingEndsTheHelpersItStartedToo) {
    ChildProcessOptions options;
    options.environment = currentEnvironment();
    options.environment.push_back("PLOVIK_CHILD_TEST=" + std::to_string(::getpid()));
    ChildProcess shell("sh", {"-c", "sleep 60 & sleep 60 & wait"}, options);
    const std::string marker = options.environment.back();
    ASSERT_EQ(testing::processesWithEnvironmentReach(marker, 3, testing::kGenerousWait), 3u);
    shell.stop();
    EXPECT_FALSE(shell.isRunning());
    EXPECT_EQ(testing::processesLeftAfter(marker, testing::kGenerousWait), std::vector<pid_t>{});
}

TEST(ChildProcess, AProgramThatIgnoresTerminationIsKilledAfterTheGracePeriod) {
    ChildProcessOptions options;
    options.environment = currentEnvironment();
    ChildProcess stubborn("sh", {"-c", "trap '' TERM; echo up; while :; do sleep 1; done"},
                          options);
    stubborn.stop(100ms);
    ASSERT_TRUE(stubborn.exitStatus());
    EXPECT_TRUE(WIFSIGNALED(*stubborn.exitStatus()));
}

TEST(ChildProcess, AnUnknownProgramIsAnErrorNotAChild) {
    ChildProcessOptions options;
    options.environment = currentEnvironment();
    EXPECT_THROW(ChildProcess("plovik-no-such-program", {}, options), std::system_error);
    EXPECT_THROW(ChildProcess("/nonexistent/program", {}, options), std::system_error);
}

TEST(ChildProcess, PipesCarryLinesBothWays) {
    ChildProcessOptions options;
    options.environment = currentEnvironment();
    options.pipeStandardInput = true;
    options.pipeStandardOutput = true;
    ChildProcess echo("sh", {"-c", "read line; echo \"got $line\""}, options);
    const std::string line = "привет 😀\n";
    ASSERT_EQ(::write(echo.standardInput(), line.data(), line.size()),
              static_cast<ssize_t>(line.size()));
    std::string output;
    char c = 0;
    while (::read(echo.standardOutput(), &c, 1) == 1 && c != '\n') {
        output += c;
    }
    EXPECT_EQ(output, "got привет 😀");
    const auto status = echo.waitForExit(2000ms);
    ASSERT_TRUE(status);
    EXPECT_EQ(WEXITSTATUS(*status), 0);
}

}  // namespace
}  // namespace plovik
