#include "core/history/HistoryFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <memory>
#include <utility>

namespace plovik {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

constexpr int kMaximumAsideAttempts = 100;

std::filesystem::path folderOf(const std::filesystem::path& path) {
    const auto parent = path.parent_path();
    return parent.empty() ? std::filesystem::path(".") : parent;
}

// Like `mkdir -p`, but private: application data is nobody else's business.
void createDirectories(const std::filesystem::path& folder) {
    std::filesystem::path partial;
    for (const auto& component : folder) {
        partial /= component;
        ::mkdir(partial.c_str(), 0700);
    }
}

bool writeAll(std::FILE* file, std::string_view bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
           std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
}

struct FolderCloser {
    void operator()(DIR* folder) const { ::closedir(folder); }
};

// Best effort: makes the rename itself survive a power loss.
void syncFolder(const std::filesystem::path& folder) {
    const std::unique_ptr<DIR, FolderCloser> handle(::opendir(folder.c_str()));
    if (handle) {
        ::fsync(::dirfd(handle.get()));
    }
}

std::string utcStamp(TimePoint time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm utc{};
    char text[32] = {};
    if (::gmtime_r(&seconds, &utc) == nullptr ||
        std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc) == 0) {
        return "unknown-time";
    }
    return text;
}

// rename() would replace an existing file; this never does.
bool moveWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // File systems without RENAME_NOREPLACE: a hard link also refuses to replace.
    if (::link(from.c_str(), to.c_str()) != 0) {
        return false;
    }
    ::unlink(from.c_str());
    return true;
}

}  // namespace

HistoryFile::HistoryFile(std::filesystem::path path) : path_(std::move(path)) {}

HistoryFile::ReadResult HistoryFile::read() const {
    FileHandle file(std::fopen(path_.c_str(), "rbe"));
    if (!file) {
        return errno == ENOENT ? ReadResult(Absent{}) : ReadResult(Unreadable{});
    }
    std::string contents;
    char buffer[64 * 1024];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        contents.append(buffer, count);
    }
    if (std::ferror(file.get())) {
        return Unreadable{};
    }
    return contents;
}

bool HistoryFile::write(std::string_view bytes) const {
    const auto folder = folderOf(path_);
    createDirectories(folder);
    std::string temporaryPath = (folder / ("." + path_.filename().string() + ".XXXXXX")).string();
    const int descriptor = ::mkostemp(temporaryPath.data(), O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    ::fchmod(descriptor, 0600);
    FileHandle file(::fdopen(descriptor, "wb"));
    if (!file) {
        ::close(descriptor);
        ::unlink(temporaryPath.c_str());
        return false;
    }
    const bool written = writeAll(file.get(), bytes);
    const bool closed = std::fclose(file.release()) == 0;
    if (!written || !closed || ::rename(temporaryPath.c_str(), path_.c_str()) != 0) {
        ::unlink(temporaryPath.c_str());
        return false;
    }
    syncFolder(folder);
    return true;
}

bool HistoryFile::remove() const {
    return ::unlink(path_.c_str()) == 0;
}

bool HistoryFile::keepAside(TimePoint now) const {
    const std::string base = path_.string() + ".unreadable-" + utcStamp(now);
    for (int attempt = 1; attempt <= kMaximumAsideAttempts; ++attempt) {
        const std::string target = attempt == 1 ? base : base + "-" + std::to_string(attempt);
        if (moveWithoutReplacing(path_, target)) {
            return true;
        }
        if (errno == ENOENT) {
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

}  // namespace plovik
