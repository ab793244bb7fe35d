#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <iostream>
#include <system_error>

#include "SessionOptions.h"
#include "platform/virtualsession/VirtualSession.h"

namespace {

constexpr int kToolMissing = 77;

sigset_t handledSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGCHLD}) {
        sigaddset(&signals, signalNumber);
    }
    return signals;
}

int exitCodeOf(int waitStatus) {
    if (WIFEXITED(waitStatus)) {
        return WEXITSTATUS(waitStatus);
    }
    return WIFSIGNALED(waitStatus) ? 128 + WTERMSIG(waitStatus) : 1;
}

// Waits for a stop request, or for the command (when there is one) to end.
int waitForEnd(const sigset_t& signals, plovik::ChildProcess* command) {
    while (true) {
        const int received = sigwaitinfo(&signals, nullptr);
        if (received == SIGCHLD) {
            if (command && !command->isRunning()) {
                return exitCodeOf(command->exitStatus().value_or(0));
            }
            continue;
        }
        if (received > 0) {
            if (command) {
                command->stop();
            }
            return 128 + received;
        }
    }
}

int run(const plovik::SessionOptions& options, const sigset_t& signals) {
    plovik::VirtualSession session(options.session);
    if (options.command.empty()) {
        std::cout << "DISPLAY=" << session.display() << "\n"
                  << "DBUS_SESSION_BUS_ADDRESS=" << session.busAddress() << "\n"
                  << std::flush;
        return waitForEnd(signals, nullptr);
    }
    plovik::ChildProcessOptions commandOptions;
    commandOptions.environment = session.environment();
    // In our group, so that a terminal's Ctrl+C reaches it as it would without us.
    commandOptions.ownProcessGroup = false;
    const std::vector<std::string> arguments(options.command.begin() + 1, options.command.end());
    plovik::ChildProcess command(options.command.front(), arguments, commandOptions);
    return waitForEnd(signals, &command);
}

}  // namespace

int main(int argc, char** argv) {
    // Blocked before any thread exists, so that only sigwaitinfo sees them.
    const sigset_t signals = handledSignals();
    sigprocmask(SIG_BLOCK, &signals, nullptr);

    std::string error;
    const auto options =
        plovik::SessionOptions::parse(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "plovik-session: " << error << "\n" << plovik::SessionOptions::usage();
        return 2;
    }
    if (options->help) {
        std::cout << plovik::SessionOptions::usage();
        return 0;
    }
    try {
        return run(*options, signals);
    } catch (const plovik::VirtualSessionError& failure) {
        std::cerr << "plovik-session: " << failure.what() << "\n";
        return failure.toolMissing() ? kToolMissing : 1;
    } catch (const std::system_error& failure) {
        std::cerr << "plovik-session: " << failure.what() << "\n";
        return 127;
    }
}
