#include "tools/plovik-correct/FolderReaper.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <system_error>

namespace plovik {

namespace {

// The helper must outlive a Ctrl-C or a hang-up sent to the whole process group, and
// must not hold the caller's standard streams open: a reader of its output would wait.
void detachHelper(int keptDescriptor) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGQUIT}) {
        ::signal(signal, SIG_IGN);
    }
    if (keptDescriptor > 0) {
        ::close_range(0, static_cast<unsigned>(keptDescriptor - 1), 0);
    }
    ::close_range(static_cast<unsigned>(keptDescriptor + 1), UINT_MAX, 0);
}

[[noreturn]] void reapWhenParentEnds(int readEnd, const std::filesystem::path& folder) {
    detachHelper(readEnd);
    // Nothing is ever written: only the end of the pipe (or an error) matters.
    char byte = 0;
    for (;;) {
        const ssize_t count = ::read(readEnd, &byte, 1);
        if (count == 0 || (count < 0 && errno != EINTR)) {
            break;
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    ::_exit(EXIT_SUCCESS);
}

}  // namespace

bool FolderReaper::watch(const std::filesystem::path& folder) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return false;
    }
    const pid_t helper = ::fork();
    if (helper == 0) {
        ::close(ends[1]);
        reapWhenParentEnds(ends[0], folder);
    }
    ::close(ends[0]);
    if (helper < 0) {
        ::close(ends[1]);
        return false;
    }
    lifeline_.emplace(ends[1]);
    return true;
}

}  // namespace plovik
