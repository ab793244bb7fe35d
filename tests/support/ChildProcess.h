#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace plovik::testing {

// True when `program` is found on $PATH or is an executable path.
inline bool hasProgram(const std::string& program) {
    if (program.find('/') != std::string::npos) {
        return ::access(program.c_str(), X_OK) == 0;
    }
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        auto end = folders.find(':', start);
        if (end == std::string::npos) {
            end = folders.size();
        }
        if (::access((folders.substr(start, end - start) + "/" + program).c_str(), X_OK) == 0) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

// A helper program started for a test, stopped by its process id when the test ends.
// Its standard output can be read through a pipe; standard error goes to /dev/null.
class ChildProcess {
  public:
    // `environment` entries ("NAME=value") are added to this process's environment.
    ChildProcess(const std::vector<std::string>& arguments,
                 const std::vector<std::string>& environment = {}, bool capturesOutput = false) {
        int pipeEnds[2] = {-1, -1};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        if (capturesOutput && ::pipe2(pipeEnds, O_CLOEXEC) == 0) {
            posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        } else {
            posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        }
        std::vector<std::string> variables = environment;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            variables.emplace_back(*entry);
        }
        std::vector<char*> argv, envp;
        for (const auto& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        for (const auto& variable : variables) {
            envp.push_back(const_cast<char*>(variable.c_str()));
        }
        envp.push_back(nullptr);
        if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        if (pipeEnds[1] >= 0) {
            ::close(pipeEnds[1]);
            output_ = pipeEnds[0];
        }
    }
    ~ChildProcess() {
        stop();
        if (output_ >= 0) {
            ::close(output_);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool isRunning() const { return pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0; }

    // One line of its standard output, waiting up to `timeout`.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (true) {
            if (const auto end = buffer_.find('\n'); end != std::string::npos) {
                auto line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd ready{output_, POLLIN, 0};
            if (output_ < 0 || left.count() <= 0 ||
                ::poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
                return std::nullopt;
            }
            char chunk[512];
            const auto count = ::read(output_, chunk, sizeof chunk);
            if (count <= 0) {
                return std::nullopt;
            }
            buffer_.append(chunk, static_cast<std::size_t>(count));
        }
    }

    // Terminates it and waits for it; killed when it does not end within a second.
    void stop() {
        if (pid_ <= 0) {
            return;
        }
        ::kill(pid_, SIGTERM);
        for (int waited = 0; waited < 100; ++waited) {
            if (::waitpid(pid_, nullptr, WNOHANG) != 0) {
                pid_ = -1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
    int output_ = -1;
    std::string buffer_;
};

// Waits until the condition holds, checking every few milliseconds; false on timeout.
template <typename Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace plovik::testing
