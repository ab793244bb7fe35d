#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/virtualsession/ProcessIdentity.h"

namespace plovik {

// Whom a child runs as, when this process may choose (it runs as root).
struct ChildCredentials {
    uid_t user = 0;
    gid_t group = 0;
};

struct ChildProcessOptions {
    // The whole environment of the child, as "NAME=value".
    std::vector<std::string> environment;
    // A group of its own lets one signal reach the helpers the child starts itself.
    bool ownProcessGroup = true;
    // Descriptors of this process passed on under another number: {ours, the child's}.
    std::vector<std::pair<int, int>> passedDescriptors;
    // Standard output and error go here (appended) instead of ours.
    std::optional<std::string> logFile;
    // Pipes to the child's standard input and from its standard output.
    bool pipeStandardInput = false;
    bool pipeStandardOutput = false;
    // Absent: as this process.
    std::optional<ChildCredentials> credentials;
};

// A program this process started; stopped (whole group, by recorded id) when destroyed.
// The child is told to stop as well when this thread dies, even by SIGKILL.
class ChildProcess {
  public:
    // Throws std::system_error when the program cannot be started.
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const ChildProcessOptions& options);
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    pid_t pid() const { return pid_; }
    const std::string& program() const { return program_; }
    bool isRunning();
    // The wait status once it has exited within `timeout`.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    // SIGTERM to its group, SIGKILL to what is left after `grace`; reaps the child.
    void stop(std::chrono::milliseconds grace = std::chrono::milliseconds(2000));
    std::optional<int> exitStatus() const { return exitStatus_; }

    // Our ends of the pipes (-1 when not asked for); closed with the object.
    int standardInput() const { return standardInput_; }
    int standardOutput() const { return standardOutput_; }

  private:
    void reapIfExited();
    void signalGroup(int signalNumber);
    void killLeftoverGroupMembers();
    void release();

    std::string program_;
    pid_t pid_ = -1;
    bool ownProcessGroup_ = true;
    std::optional<ProcessIdentity> identity_;
    std::optional<int> exitStatus_;
    int standardInput_ = -1;
    int standardOutput_ = -1;
};

// One line written to `descriptor` (a child's output, a pipe it was handed), waiting at
// most `timeout`; absent when the writer is gone or quiet. Reads no further than the line.
std::optional<std::string> readLine(int descriptor, std::chrono::milliseconds timeout);

// The full path of `program` along the PATH of `environment`, or absent.
std::optional<std::string> findProgram(const std::string& program,
                                       const std::vector<std::string>& environment);

}  // namespace plovik
