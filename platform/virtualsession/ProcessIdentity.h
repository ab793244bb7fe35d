#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>

namespace plovik {

// A process recorded by id and start time, so that a recycled id is never signalled
// by mistake. A zombie counts as gone: it holds no resources and cannot be stopped.
class ProcessIdentity {
  public:
    // The identity of a running process, or absent when it is gone.
    static std::optional<ProcessIdentity> of(pid_t pid);

    pid_t pid() const { return pid_; }
    bool isRunning() const;
    // Signals the process only while it is still the recorded one.
    bool signal(int signalNumber) const;

    bool operator==(const ProcessIdentity&) const = default;

  private:
    ProcessIdentity(pid_t pid, std::uint64_t startTime) : pid_(pid), startTime_(startTime) {}

    pid_t pid_;
    std::uint64_t startTime_;
};

}  // namespace plovik
