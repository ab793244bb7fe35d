#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <functional>

namespace plovik::testing {

// Runs `work` in a child process that is killed after `seconds` and, where the build allows
// it, may allocate at most `dataBytes`: work whose cost grows with the square of its input,
// or whose memory grows with it, then fails instead of stalling the suite. True when the
// child finished in bounds and `work` returned true.
inline bool finishesInBounds(unsigned seconds, std::size_t dataBytes,
                             const std::function<bool()>& work) {
    const pid_t child = ::fork();
    if (child < 0) {
        return false;
    }
    if (child == 0) {
        ::alarm(seconds);
#if !defined(__SANITIZE_ADDRESS__)
        // The sanitizers' shadow memory counts as data: no limit under them.
        const rlimit limit{dataBytes, dataBytes};
        ::setrlimit(RLIMIT_DATA, &limit);
#else
        (void)dataBytes;
#endif
        bool succeeded = false;
        try {
            succeeded = work();
        } catch (...) {
        }
        ::_exit(succeeded ? 0 : 1);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace plovik::testing
