#pragma once

#include <signal.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <functional>

namespace plovik::testing {

enum class TracedEnd { killed, endedFirst, untraceable };

// Runs `body` in a child stopped at every system call entry and exit, and kills it with
// SIGKILL at the `skipped`-th stop (counted from zero) at which `condition` holds: the
// child is frozen while `condition` looks, so "killed the moment X happens" is exact.
// The child is killed after `seconds` in any case; `body` must not return into the test.
inline TracedEnd killAtSystemCallStop(const std::function<void()>& body,
                                      const std::function<bool()>& condition, int skipped,
                                      unsigned seconds = 120) {
    constexpr int kUntraceable = 111;
    const pid_t child = ::fork();
    if (child < 0) {
        return TracedEnd::untraceable;
    }
    if (child == 0) {
        ::alarm(seconds);
        if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) {
            ::_exit(kUntraceable);
        }
        ::raise(SIGSTOP);
        body();
        ::_exit(EXIT_SUCCESS);
    }
    const auto await = [child](int& status) {
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    };
    int status = 0;
    await(status);
    if (!WIFSTOPPED(status)) {
        return TracedEnd::untraceable;
    }
    ::ptrace(PTRACE_SETOPTIONS, child, nullptr,
             PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL | PTRACE_O_TRACEEXEC);
    long passedSignal = 0;
    int seen = 0;
    for (;;) {
        ::ptrace(PTRACE_SYSCALL, child, nullptr, passedSignal);
        passedSignal = 0;
        await(status);
        if (!WIFSTOPPED(status)) {
            return TracedEnd::endedFirst;
        }
        const int stop = WSTOPSIG(status);
        if (stop == (SIGTRAP | 0x80)) {
            if (condition() && seen++ == skipped) {
                ::kill(child, SIGKILL);
                await(status);
                return TracedEnd::killed;
            }
        } else if ((status >> 16) == 0) {
            // A signal for the child, not an event of the tracing: it gets it.
            passedSignal = stop;
        }
    }
}

}  // namespace plovik::testing
