#include "app/session/ReapedFolder.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <system_error>

namespace plovik {

namespace {

struct Pipe {
    FileDescriptor readEnd;
    FileDescriptor writeEnd;
};

Pipe makePipe() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        throw std::system_error(errno, std::generic_category(), "cannot make a pipe");
    }
    return Pipe{FileDescriptor(ends[0]), FileDescriptor(ends[1])};
}

// Closes every descriptor but the two given ones (first < second).
void closeAllBut(int first, int second) {
    if (first > 0) {
        ::close_range(0, static_cast<unsigned>(first - 1), 0);
    }
    if (second > first + 1) {
        ::close_range(static_cast<unsigned>(first + 1), static_cast<unsigned>(second - 1), 0);
    }
    ::close_range(static_cast<unsigned>(second + 1), UINT_MAX, 0);
}

// The helper must outlive a Ctrl-C or a hang-up sent to the whole process group, and
// must not hold the caller's standard streams open: a reader of its output would wait.
// Nor may it hold the write end of its own lifeline, or it would never see the end.
void detachHelper(int lifeline, int report) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGQUIT}) {
        ::signal(signal, SIG_IGN);
    }
    closeAllBut(std::min(lifeline, report), std::max(lifeline, report));
}

bool writeAll(int descriptor, const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t count = ::write(descriptor, bytes, size);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        bytes += count;
        size -= static_cast<std::size_t>(count);
    }
    return true;
}

void waitForEnd(int lifeline) {
    // Nothing is ever written: only the end of the pipe (or an error) matters.
    char byte = 0;
    for (;;) {
        const ssize_t count = ::read(lifeline, &byte, 1);
        if (count == 0 || (count < 0 && errno != EINTR)) {
            return;
        }
    }
}

// Runs in the helper: the folder is made only once the lifeline is held, so no moment
// passes in which it exists unwatched. The report is the error number, then the path.
[[noreturn]] void makeAndReap(int lifeline, int report, std::string pattern) {
    detachHelper(lifeline, report);
    const int error = ::mkdtemp(pattern.data()) == nullptr ? errno : 0;
    writeAll(report, &error, sizeof error);
    if (error == 0) {
        writeAll(report, pattern.data(), pattern.size());
    }
    ::close(report);
    if (error != 0) {
        ::_exit(EXIT_FAILURE);
    }
    waitForEnd(lifeline);
    std::error_code ignored;
    std::filesystem::remove_all(pattern, ignored);
    ::_exit(EXIT_SUCCESS);
}

std::string readToEnd(int descriptor) {
    std::string text;
    char chunk[512];
    for (;;) {
        const ssize_t count = ::read(descriptor, chunk, sizeof chunk);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return text;
        }
        text.append(chunk, static_cast<std::size_t>(count));
    }
}

void awaitExit(pid_t child) {
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

ReapedFolder::ReapedFolder(const std::filesystem::path& parent) {
    const std::string pattern = parent / "plovik-XXXXXX";
    int lifelineEnds[2];
    if (::pipe2(lifelineEnds, O_CLOEXEC) != 0) {
        throw std::system_error(errno, std::generic_category(), "cannot make a pipe");
    }
    FileDescriptor lifelineReadEnd(lifelineEnds[0]);
    lifeline_.emplace(lifelineEnds[1]);
    Pipe report = makePipe();
    // Started through a short-lived go-between, so that the helper is never left to this
    // process to wait for.
    const pid_t starter = ::fork();
    if (starter < 0) {
        throw std::system_error(errno, std::generic_category(), "cannot start a helper");
    }
    if (starter == 0) {
        const pid_t helper = ::fork();
        if (helper == 0) {
            makeAndReap(lifelineReadEnd.get(), report.writeEnd.get(), pattern);
        }
        ::_exit(helper < 0 ? EXIT_FAILURE : EXIT_SUCCESS);
    }
    lifelineReadEnd.close();
    report.writeEnd.close();
    const std::string answer = readToEnd(report.readEnd.get());
    awaitExit(starter);
    int error = 0;
    if (answer.size() < sizeof error) {
        throw std::system_error(ECHILD, std::generic_category(), "the helper ended at once");
    }
    std::copy_n(answer.data(), sizeof error, reinterpret_cast<char*>(&error));
    if (error != 0) {
        throw std::filesystem::filesystem_error("cannot create a temporary folder", pattern,
                                                std::error_code(error, std::generic_category()));
    }
    path_ = answer.substr(sizeof error);
}

ReapedFolder::~ReapedFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace plovik
