#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace plovik::testing {

// The test program ends with the CTest skip code when a tool the test needs is
// not installed; any other failure to start is a failure.
inline std::string requireTool(const std::string& name) {
    for (const char* folder : {"/usr/bin/", "/usr/local/bin/", "/bin/"}) {
        const std::string path = std::string(folder) + name;
        if (::access(path.c_str(), X_OK) == 0) {
            return path;
        }
    }
    std::cerr << "skipped: " << name << " is not installed\n";
    std::_Exit(77);
}

// Starts a program with arguments and returns its process id.
inline pid_t spawn(const std::vector<std::string>& arguments,
                   const std::vector<int>& keptDescriptors = {}) {
    std::vector<char*> argv;
    for (const auto& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (const int fd : keptDescriptors) {
        // A dup2 onto itself clears close-on-exec in the child.
        posix_spawn_file_actions_adddup2(&actions, fd, fd);
    }
    pid_t pid = 0;
    const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        throw std::runtime_error("cannot start " + arguments.front());
    }
    return pid;
}

inline int runToEnd(const std::vector<std::string>& arguments) {
    const pid_t pid = spawn(arguments);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A private Xvfb, stopped with the object. The display number comes from the
// server itself (-displayfd), so parallel tests never collide.
class VirtualX {
  public:
    explicit VirtualX(const std::string& layouts = "us,ru") {
        const std::string xvfb = requireTool("Xvfb");
        setxkbmap_ = requireTool("setxkbmap");
        int pipe[2];
        if (::pipe(pipe) != 0) {
            throw std::runtime_error("pipe");
        }
        pid_ = spawn({xvfb, "-displayfd", std::to_string(pipe[1]), "-screen", "0", "640x480x24",
                      "-noreset", "-nolisten", "tcp"},
                     {pipe[1]});
        ::close(pipe[1]);
        std::string number;
        char c = 0;
        while (::read(pipe[0], &c, 1) == 1 && c != '\n') {
            number += c;
        }
        ::close(pipe[0]);
        if (number.empty()) {
            throw std::runtime_error("Xvfb did not start");
        }
        display_ = ":" + number;
        ::setenv("DISPLAY", display_.c_str(), 1);
        setLayouts(layouts);
    }
    ~VirtualX() {
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    VirtualX(const VirtualX&) = delete;
    VirtualX& operator=(const VirtualX&) = delete;

    const std::string& display() const { return display_; }

    // "us,ru" or "us,ru" with variants "intl,".
    void setLayouts(const std::string& layouts, const std::string& variants = "") {
        std::vector<std::string> command{setxkbmap_, "-display", display_, "-layout", layouts};
        if (!variants.empty()) {
            command.insert(command.end(), {"-variant", variants});
        }
        if (runToEnd(command) != 0) {
            throw std::runtime_error("setxkbmap failed");
        }
    }

  private:
    pid_t pid_ = 0;
    std::string display_;
    std::string setxkbmap_;
};

}  // namespace plovik::testing
