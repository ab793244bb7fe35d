#include "app/modes/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace plovik {

namespace {

std::optional<pid_t> processIdentifierIn(int descriptor) {
    char text[32] = {};
    const ssize_t count = ::pread(descriptor, text, sizeof text - 1, 0);
    if (count <= 0) {
        return std::nullopt;
    }
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return value > 0 && end != text ? std::optional<pid_t>(static_cast<pid_t>(value))
                                    : std::nullopt;
}

// The holder writes its id just after it took the lock: a copy started at the same moment
// waits a little for it.
std::optional<pid_t> holderOf(int descriptor) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (const auto holder = processIdentifierIn(descriptor)) {
            return holder;
        }
        ::usleep(5000);
    }
    return std::nullopt;
}

std::string reasonOf(int error) {
    return std::generic_category().message(error);
}

}  // namespace

std::filesystem::path InstanceLock::defaultPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code error;
    if (runtime != nullptr && *runtime == '/' && std::filesystem::is_directory(runtime, error)) {
        return std::filesystem::path(runtime) / "plovik.lock";
    }
    return std::filesystem::temp_directory_path(error) /
           ("plovik-" + std::to_string(::getuid()) + ".lock");
}

InstanceLock::Result InstanceLock::acquire(const std::filesystem::path& path) {
    // Not O_TRUNC: the holder's process id must stay readable for the copies it turns away.
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor < 0) {
        return Unavailable{path.string() + ": " + reasonOf(errno)};
    }
    std::unique_ptr<InstanceLock> lock(new InstanceLock(descriptor));
    while (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) {
            return HeldByAnother{holderOf(descriptor)};
        }
        if (errno != EINTR) {
            return Unavailable{path.string() + ": " + reasonOf(errno)};
        }
    }
    const std::string text = std::to_string(::getpid()) + "\n";
    if (::ftruncate(descriptor, 0) != 0 ||
        ::pwrite(descriptor, text.data(), text.size(), 0) != static_cast<ssize_t>(text.size())) {
        return Unavailable{path.string() + ": " + reasonOf(errno)};
    }
    return lock;
}

std::string InstanceLock::describe(const HeldByAnother& holder) {
    return "another Plovik is already running for this user" +
           (holder.processIdentifier ? " (pid " + std::to_string(*holder.processIdentifier) + ")"
                                     : std::string());
}

}  // namespace plovik
