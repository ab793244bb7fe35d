#include "core/support/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>

namespace plovik {

namespace {

int openFolder(const std::filesystem::path& folder) {
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    const int descriptor = ::open(folder.c_str(), flags);
    if (descriptor >= 0 || errno != ENOENT) {
        return descriptor;
    }
    std::filesystem::path partial;
    for (const auto& component : folder) {
        partial /= component;
        ::mkdir(partial.c_str(), 0700);
    }
    return ::open(folder.c_str(), flags);
}

}  // namespace

FolderLock::FolderLock(const std::filesystem::path& folder)
    : folder_(openFolder(folder.empty() ? std::filesystem::path(".") : folder)) {
    if (!folder_.isOpen()) {
        return;
    }
    while (::flock(folder_.get(), LOCK_EX) != 0 && errno == EINTR) {
    }
}

}  // namespace plovik
