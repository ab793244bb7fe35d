#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

#include "app/session/ReapedFolder.h"
#include "support/SystemCallStops.h"
#include "support/TemporaryDirectory.h"
#include "support/WaitUntil.h"

namespace plovik {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Generous: the machine may be busy with other builds.
constexpr auto kPatience = 20s;

class ReapedFolderTest : public ::testing::Test {
  protected:
    bool isEmpty() const { return fs::is_empty(parent_.path()); }
    bool becomesEmpty() const {
        return testing::waitUntil([this] { return isEmpty(); }, kPatience);
    }
    // Runs `body` in a child and waits for it; its exit status, or -1.
    static int inChild(const std::function<void()>& body) {
        const pid_t child = ::fork();
        if (child == 0) {
            body();
            ::_exit(EXIT_SUCCESS);
        }
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    const testing::TemporaryDirectory parent_;
};

TEST_F(ReapedFolderTest, MakesAPrivateFolderThatItsOwnerRemovesAtOnce) {
    {
        const ReapedFolder folder(parent_.path());
        EXPECT_EQ(folder.path().parent_path(), parent_.path());
        EXPECT_EQ(folder.path().filename().string().rfind("plovik-", 0), 0u);
        ASSERT_TRUE(fs::is_directory(folder.path()));
        EXPECT_EQ(fs::status(folder.path()).permissions(), fs::perms::owner_all);
        testing::writeFile(folder.path() / "inner" / "history.json", "[]");
        const ReapedFolder another(parent_.path());
        EXPECT_NE(another.path(), folder.path());
    }
    // No waiting for the helper: the folder is gone when its owner is.
    EXPECT_TRUE(isEmpty());
}

TEST_F(ReapedFolderTest, ReportsAParentThatCannotHoldIt) {
    testing::writeFile(parent_.path() / "file", "x");
    for (const auto& [parent, error] : {std::pair{parent_.path() / "missing", ENOENT},
                                        std::pair{parent_.path() / "file", ENOTDIR}}) {
        try {
            const ReapedFolder folder(parent);
            ADD_FAILURE() << parent;
        } catch (const fs::filesystem_error& failure) {
            EXPECT_EQ(failure.code().value(), error) << failure.what();
            EXPECT_EQ(failure.path1().parent_path(), parent);
        }
    }
}

TEST_F(ReapedFolderTest, GoesWhenItsOwnerIsKilledRightAfterMakingIt) {
    EXPECT_EQ(inChild([this] {
                  const ReapedFolder folder(parent_.path());
                  ::raise(SIGKILL);
              }),
              -1);
    EXPECT_TRUE(becomesEmpty());
}

TEST_F(ReapedFolderTest, NeverExistsUnwatchedWhileItIsBeingMade) {
    // The owner is frozen and killed at each of the first system calls after the folder
    // has appeared: at none of them may the folder outlive it.
    for (int stop = 0; stop < 8; ++stop) {
        const auto end = testing::killAtSystemCallStop(
            [this] {
                const ReapedFolder folder(parent_.path());
                ::pause();
            },
            [this] { return !isEmpty(); }, stop);
        if (end == testing::TracedEnd::untraceable) {
            GTEST_SKIP() << "processes cannot be traced here";
        }
        ASSERT_EQ(end, testing::TracedEnd::killed) << stop;
        ASSERT_TRUE(becomesEmpty()) << "left behind when killed at stop " << stop;
    }
}

TEST_F(ReapedFolderTest, TheHelperOutlivesAHangUpToTheWholeGroupAndHoldsNoStream) {
    int output[2];
    ASSERT_EQ(::pipe(output), 0);
    const pid_t owner = ::fork();
    if (owner == 0) {
        ::setpgid(0, 0);
        ::dup2(output[1], STDOUT_FILENO);
        ::close(output[0]);
        ::close(output[1]);
        const ReapedFolder folder(parent_.path());
        ::close(STDOUT_FILENO);
        ::pause();
        ::_exit(EXIT_SUCCESS);
    }
    ::close(output[1]);
    // The owner closed its output and lives on: the reader must see the end all the same.
    pollfd ready{output[0], POLLIN, 0};
    ASSERT_EQ(::poll(&ready, 1, static_cast<int>(std::chrono::milliseconds(kPatience).count())), 1);
    char byte = 0;
    EXPECT_EQ(::read(output[0], &byte, 1), 0);
    ::close(output[0]);
    EXPECT_FALSE(isEmpty());
    ASSERT_EQ(::kill(-owner, SIGHUP), 0);
    int status = 0;
    ::waitpid(owner, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_TRUE(becomesEmpty());
}

}  // namespace
}  // namespace plovik
