#include "core/support/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "core/support/FileDescriptor.h"

namespace plovik {

namespace {

std::filesystem::path folderOf(const std::filesystem::path& path) {
    const auto parent = path.parent_path();
    return parent.empty() ? std::filesystem::path(".") : parent;
}

// Like `mkdir -p`, but private: a user's data is nobody else's business. Failures show
// when the temporary file cannot be created.
void createPrivateDirectories(const std::filesystem::path& folder) {
    std::filesystem::path partial;
    for (const auto& component : folder) {
        partial /= component;
        ::mkdir(partial.c_str(), 0700);
    }
}

bool writeAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Best effort: makes the rename itself survive a power loss.
void syncFolder(const std::filesystem::path& folder) {
    const FileDescriptor handle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (handle.isOpen()) {
        ::fsync(handle.get());
    }
}

// Reads errno right after a failed rename or link.
AtomicFile::MoveResult moveFailure(const std::filesystem::path& source) {
    const int error = errno;
    if (error == EEXIST) {
        return AtomicFile::MoveResult::targetTaken;
    }
    // ENOENT also stands for a missing target folder.
    struct stat status {};
    if (error == ENOENT && ::lstat(source.c_str(), &status) != 0 && errno == ENOENT) {
        return AtomicFile::MoveResult::sourceAbsent;
    }
    return AtomicFile::MoveResult::failed;
}

AtomicFile::Unreadable unreadable(int error) {
    return {std::generic_category().message(error)};
}

}  // namespace

AtomicFile::AtomicFile(std::filesystem::path path) : path_(std::move(path)) {}

AtomicFile::ReadResult AtomicFile::read() const {
    // Not blocking keeps a FIFO in the file's place from stalling the reader.
    const FileDescriptor file(::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    // A file where a folder of the path should be leaves no room for this one either.
    if (!file.isOpen()) {
        return errno == ENOENT || errno == ENOTDIR ? ReadResult(Absent{})
                                                   : ReadResult(unreadable(errno));
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) {
        return unreadable(errno);
    }
    if (S_ISDIR(status.st_mode)) {
        return unreadable(EISDIR);
    }
    if (!S_ISREG(status.st_mode)) {
        return Unreadable{"not a regular file"};
    }
    std::string contents;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
        if (count == 0) {
            return contents;
        }
        if (count < 0 && errno != EINTR) {
            return unreadable(errno);
        }
        if (count > 0) {
            contents.append(buffer, static_cast<std::size_t>(count));
        }
    }
}

bool AtomicFile::replace(std::string_view bytes, mode_t mode) const {
    std::error_code ignored;
    return replace(bytes, mode, ignored);
}

bool AtomicFile::replace(std::string_view bytes, mode_t mode, std::error_code& error) const {
    error.clear();
    const auto folder = folderOf(path_);
    createPrivateDirectories(folder);
    std::string temporary = (folder / ("." + path_.filename().string() + ".XXXXXX")).string();
    FileDescriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!file.isOpen()) {
        error = std::error_code(errno, std::generic_category());
        return false;
    }
    errno = 0;
    const bool replaced = ::fchmod(file.get(), mode) == 0 && writeAll(file.get(), bytes) &&
                          ::fsync(file.get()) == 0 && file.close() &&
                          ::rename(temporary.c_str(), path_.c_str()) == 0;
    if (!replaced) {
        error = std::error_code(errno != 0 ? errno : EIO, std::generic_category());
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolder(folder);
    return true;
}

bool AtomicFile::remove() const {
    return ::unlink(path_.c_str()) == 0;
}

AtomicFile::MoveResult AtomicFile::moveWithoutReplacing(const std::filesystem::path& target) const {
    if (::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
        return MoveResult::moved;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return moveFailure(path_);
    }
    // File systems without RENAME_NOREPLACE: a hard link also refuses to replace.
    if (::link(path_.c_str(), target.c_str()) != 0) {
        return moveFailure(path_);
    }
    ::unlink(path_.c_str());
    return MoveResult::moved;
}

}  // namespace plovik
