#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "core/support/FileDescriptor.h"

namespace plovik {

// One Plovik per user, whatever the mode: the first copy holds a lock on a file in the
// user's runtime folder, with its process id in it, for as long as it runs. The lock goes
// with the process, however it ends.
class InstanceLock {
  public:
    // Another copy holds the lock.
    struct HeldByAnother {
        // Absent when it has not written it yet.
        std::optional<pid_t> processIdentifier;
    };
    // The lock could not be taken or tested (no runtime folder, no room): the caller goes on
    // without the guarantee.
    struct Unavailable {
        std::string reason;
    };
    using Result = std::variant<std::unique_ptr<InstanceLock>, HeldByAnother, Unavailable>;

    // "plovik.lock" in $XDG_RUNTIME_DIR, or "plovik-<uid>.lock" in the temporary folder when
    // there is no runtime folder.
    static std::filesystem::path defaultPath();
    static Result acquire(const std::filesystem::path& path);
    // "another Plovik is already running for this user (pid 1234)".
    static std::string describe(const HeldByAnother& holder);

  private:
    explicit InstanceLock(int descriptor) : file_(descriptor) {}

    FileDescriptor file_;
};

}  // namespace plovik
