#include "platform/virtualsession/ChildProcess.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <sstream>
#include <system_error>
#include <thread>

#include "platform/virtualsession/Pipe.h"
#include "platform/virtualsession/ProcFile.h"

namespace plovik {
namespace {

constexpr int kHighDescriptor = 1000;
constexpr auto kPollInterval = std::chrono::milliseconds(5);

std::optional<std::string> environmentValue(const std::vector<std::string>& environment,
                                            const std::string& name) {
    for (const auto& entry : environment) {
        if (entry.starts_with(name + "=")) {
            return entry.substr(name.size() + 1);
        }
    }
    return std::nullopt;
}

std::vector<char*> nullTerminated(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (auto& string : strings) {
        pointers.push_back(string.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

// Only async-signal-safe calls from here on: the parent may have other threads.
[[noreturn]] void reportAndExit(int errorReport) {
    const int error = errno;
    [[maybe_unused]] auto written = ::write(errorReport, &error, sizeof error);
    ::_exit(127);
}

[[noreturn]] void execChild(const char* path, char* const* argv, char* const* envp,
                            const std::vector<std::pair<int, int>>& descriptors, bool ownGroup,
                            const std::optional<ChildCredentials>& credentials, pid_t parent,
                            int errorReport) {
    if (ownGroup) {
        ::setpgid(0, 0);
    }
    if (credentials &&
        (::setgroups(0, nullptr) != 0 ||
         ::setresgid(credentials->group, credentials->group, credentials->group) != 0 ||
         ::setresuid(credentials->user, credentials->user, credentials->user) != 0)) {
        reportAndExit(errorReport);
    }
    // After any change of credentials, which clears it.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) {
        ::_exit(127);
    }
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    for (const int signalNumber : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGCHLD, SIGQUIT}) {
        ::signal(signalNumber, SIG_DFL);
    }
    // Move every source out of the way first so that no target overwrites a later source.
    int moved[64];
    const std::size_t count = descriptors.size() < 64 ? descriptors.size() : 64;
    for (std::size_t i = 0; i < count; ++i) {
        moved[i] = ::fcntl(descriptors[i].first, F_DUPFD_CLOEXEC, kHighDescriptor);
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (moved[i] < 0 || ::dup2(moved[i], descriptors[i].second) < 0) {
            reportAndExit(errorReport);
        }
    }
    ::execve(path, argv, envp);
    reportAndExit(errorReport);
}

bool hasLiveGroupMember(pid_t group) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        const std::string line = ProcFile::read(entry.path() / "stat").value_or(std::string());
        const auto nameEnd = line.rfind(')');
        if (nameEnd == std::string::npos) {
            continue;
        }
        std::istringstream fields(line.substr(nameEnd + 1));
        char state = '?';
        long parentPid = 0;
        long processGroup = 0;
        fields >> state >> parentPid >> processGroup;
        if (fields && processGroup == group && state != 'Z' && state != 'X') {
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<std::string> readLine(int descriptor, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string line;
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd request{descriptor, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&request, 1, static_cast<int>(left.count())) <= 0) {
            return std::nullopt;
        }
        char c = 0;
        if (::read(descriptor, &c, 1) != 1) {
            return std::nullopt;
        }
        if (c == '\n') {
            return line;
        }
        line += c;
    }
}

std::optional<std::string> findProgram(const std::string& program,
                                       const std::vector<std::string>& environment) {
    if (program.find('/') != std::string::npos) {
        return ::access(program.c_str(), X_OK) == 0 ? std::optional(program) : std::nullopt;
    }
    std::istringstream path(environmentValue(environment, "PATH").value_or("/usr/bin:/bin"));
    std::string directory;
    while (std::getline(path, directory, ':')) {
        const std::string candidate = (directory.empty() ? "." : directory) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return std::nullopt;
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const ChildProcessOptions& options)
    : program_(program), ownProcessGroup_(options.ownProcessGroup) {
    const auto path = findProgram(program, options.environment);
    if (!path) {
        throw std::system_error(ENOENT, std::generic_category(), program);
    }
    std::vector<std::string> argumentStrings{program};
    argumentStrings.insert(argumentStrings.end(), arguments.begin(), arguments.end());
    std::vector<std::string> environmentStrings = options.environment;
    const auto argv = nullTerminated(argumentStrings);
    const auto envp = nullTerminated(environmentStrings);

    auto descriptors = options.passedDescriptors;
    Pipe input;
    Pipe output;
    Pipe errorReport;
    int logDescriptor = -1;
    if (options.logFile) {
        logDescriptor =
            ::open(options.logFile->c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (logDescriptor >= 0) {
            descriptors.push_back({logDescriptor, STDOUT_FILENO});
            descriptors.push_back({logDescriptor, STDERR_FILENO});
        }
    }
    if (options.pipeStandardInput) {
        descriptors.push_back({input.end(0), STDIN_FILENO});
    }
    if (options.pipeStandardOutput) {
        descriptors.push_back({output.end(1), STDOUT_FILENO});
    }
    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ == 0) {
        execChild(path->c_str(), argv.data(), envp.data(), descriptors, ownProcessGroup_,
                  options.credentials, parent, errorReport.end(1));
    }
    const int forkError = errno;
    if (logDescriptor >= 0) {
        ::close(logDescriptor);
    }
    if (pid_ < 0) {
        throw std::system_error(forkError, std::generic_category(), "fork " + program);
    }
    if (ownProcessGroup_) {
        ::setpgid(pid_, pid_);
    }
    errorReport.closeEnd(1);
    int execError = 0;
    if (::read(errorReport.end(0), &execError, sizeof execError) == sizeof execError) {
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
        throw std::system_error(execError, std::generic_category(), "exec " + program);
    }
    identity_ = ProcessIdentity::of(pid_);
    if (options.pipeStandardInput) {
        standardInput_ = input.take(1);
    }
    if (options.pipeStandardOutput) {
        standardOutput_ = output.take(0);
    }
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : program_(std::move(other.program_)),
      pid_(std::exchange(other.pid_, -1)),
      ownProcessGroup_(other.ownProcessGroup_),
      identity_(other.identity_),
      exitStatus_(other.exitStatus_),
      standardInput_(std::exchange(other.standardInput_, -1)),
      standardOutput_(std::exchange(other.standardOutput_, -1)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        stop();
        release();
        program_ = std::move(other.program_);
        pid_ = std::exchange(other.pid_, -1);
        ownProcessGroup_ = other.ownProcessGroup_;
        identity_ = other.identity_;
        exitStatus_ = other.exitStatus_;
        standardInput_ = std::exchange(other.standardInput_, -1);
        standardOutput_ = std::exchange(other.standardOutput_, -1);
    }
    return *this;
}

ChildProcess::~ChildProcess() {
    stop();
    release();
}

void ChildProcess::release() {
    for (int* descriptor : {&standardInput_, &standardOutput_}) {
        if (*descriptor >= 0) {
            ::close(std::exchange(*descriptor, -1));
        }
    }
}

void ChildProcess::reapIfExited() {
    if (pid_ <= 0 || exitStatus_) {
        return;
    }
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        exitStatus_ = status;
    }
}

bool ChildProcess::isRunning() {
    reapIfExited();
    return pid_ > 0 && !exitStatus_;
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (isRunning() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(kPollInterval);
    }
    return exitStatus_;
}

void ChildProcess::signalGroup(int signalNumber) {
    if (ownProcessGroup_) {
        // The group outlives its leader while helpers remain, so its id stays ours.
        ::kill(-pid_, signalNumber);
    } else if (!exitStatus_ && identity_) {
        identity_->signal(signalNumber);
    }
}

void ChildProcess::killLeftoverGroupMembers() {
    if (!ownProcessGroup_ || !hasLiveGroupMember(pid_)) {
        return;
    }
    ::kill(-pid_, SIGKILL);
}

void ChildProcess::stop(std::chrono::milliseconds grace) {
    if (pid_ <= 0) {
        return;
    }
    const auto settled = [this] {
        reapIfExited();
        return exitStatus_ && (!ownProcessGroup_ || !hasLiveGroupMember(pid_));
    };
    if (!settled()) {
        signalGroup(SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + grace;
        while (!settled() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(kPollInterval);
        }
    }
    if (!exitStatus_) {
        signalGroup(SIGKILL);
        int status = 0;
        if (::waitpid(pid_, &status, 0) == pid_) {
            exitStatus_ = status;
        }
    }
    killLeftoverGroupMembers();
    pid_ = -1;
}

}  // namespace plovik
