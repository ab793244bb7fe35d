#include "platform/linux/FileDefaultsDatabase.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <fstream>
#include <iterator>
#include <utility>

namespace plovik {
namespace {

// Closes the descriptor when the scope ends.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }
    // Closing reports late write errors (for example on network file systems).
    bool close() { return ::close(std::exchange(fd_, -1)) == 0; }

  private:
    int fd_;
};

bool writeAll(int fd, std::span<const std::uint8_t> data) {
    std::size_t written = 0;
    while (written < data.size()) {
        const ssize_t result = ::write(fd, data.data() + written, data.size() - written);
        if (result < 0 && errno == EINTR) {
            continue;
        }
        if (result <= 0) {
            return false;
        }
        written += static_cast<std::size_t>(result);
    }
    return true;
}

// Makes the rename itself survive a crash.
void syncDirectory(const std::filesystem::path& directory) {
    FileDescriptor fd(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0) {
        ::fsync(fd.get());
    }
}

}  // namespace

bool FileDefaultsDatabase::isValidKey(const std::string& key) {
    return !key.empty() && key.size() <= NAME_MAX && key.front() != '.' &&
           key.find('/') == std::string::npos && key.find('\0') == std::string::npos;
}

std::optional<std::vector<std::uint8_t>> FileDefaultsDatabase::data(const std::string& key) const {
    std::error_code error;
    if (!isValidKey(key) || !std::filesystem::is_regular_file(directory_ / key, error)) {
        return std::nullopt;
    }
    std::ifstream file(directory_ / key, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file),
                                    std::istreambuf_iterator<char>()};
    if (file.bad()) {
        return std::nullopt;
    }
    return bytes;
}

bool FileDefaultsDatabase::ensureDirectory() const {
    std::error_code error;
    std::filesystem::create_directories(directory_.parent_path(), error);
    if (::mkdir(directory_.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    return std::filesystem::is_directory(directory_, error);
}

bool FileDefaultsDatabase::setData(const std::string& key, std::span<const std::uint8_t> data) {
    if (!isValidKey(key) || !ensureDirectory()) {
        return false;
    }
    // A temporary file in the same folder, so the rename replaces the old file atomically.
    std::string temporary = (directory_ / ("." + key + ".XXXXXX")).string();
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        return false;
    }
    const bool written = ::fchmod(fd.get(), 0600) == 0 && writeAll(fd.get(), data) &&
                         ::fsync(fd.get()) == 0 && fd.close() &&
                         ::rename(temporary.c_str(), (directory_ / key).c_str()) == 0;
    if (!written) {
        ::unlink(temporary.c_str());
        return false;
    }
    syncDirectory(directory_);
    return true;
}

void FileDefaultsDatabase::removeKey(const std::string& key) {
    if (isValidKey(key)) {
        ::unlink((directory_ / key).c_str());
    }
}

}  // namespace plovik
