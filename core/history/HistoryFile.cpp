#include "core/history/HistoryFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <utility>

#include "core/history/HistoryFileFormat.h"

namespace plovik {

namespace {

constexpr int kMaximumAsideAttempts = 100;

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

// A copy's age, from its name: the time stamp, then the number added when it was taken.
std::pair<std::string, long> asideAge(const std::string& suffix) {
    const auto dash = suffix.rfind('-');
    if (dash != std::string::npos && dash + 1 < suffix.size() &&
        suffix.find_first_not_of("0123456789", dash + 1) == std::string::npos) {
        return {suffix.substr(0, dash), std::strtol(suffix.c_str() + dash + 1, nullptr, 10)};
    }
    return {suffix, 1};
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

HistoryFile::HistoryFile(std::filesystem::path path) : file_(std::move(path)) {}

HistoryFile::ReadResult HistoryFile::read() const {
    return file_.read();
}

HistoryFile::Records HistoryFile::readRetained(const HistoryRetention& retention) const {
    // Not blocking keeps a FIFO in the file's place from stalling the reader.
    const int descriptor = ::open(path().c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        return errno == ENOENT || errno == ENOTDIR ? Records(Absent{}) : Records(Damaged{});
    }
    const std::unique_ptr<std::FILE, FileCloser> file(::fdopen(descriptor, "rb"));
    if (!file) {
        ::close(descriptor);
        return Damaged{};
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        return Damaged{};
    }
    if (status.st_size == 0) {
        return std::vector<CorrectionRecord>{};
    }
    auto records = HistoryFileFormat::decodeRetained(file.get(), retention);
    if (!records || std::ferror(file.get())) {
        return Damaged{};
    }
    return std::move(*records);
}

bool HistoryFile::write(std::string_view bytes) const {
    return file_.replace(bytes, 0600);
}

bool HistoryFile::write(std::string_view bytes, std::error_code& error) const {
    return file_.replace(bytes, 0600, error);
}

bool HistoryFile::remove() const {
    return file_.remove();
}

bool HistoryFile::keepAside(TimePoint now) const {
    const std::string base = path().string() + ".unreadable-" + utcStamp(now);
    for (int attempt = 1; attempt <= kMaximumAsideAttempts; ++attempt) {
        const std::string target = attempt == 1 ? base : base + "-" + std::to_string(attempt);
        switch (file_.moveWithoutReplacing(target)) {
            case AtomicFile::MoveResult::moved:
            case AtomicFile::MoveResult::sourceAbsent:
                return true;
            case AtomicFile::MoveResult::targetTaken:
                break;
            case AtomicFile::MoveResult::failed:
                return false;
        }
    }
    return false;
}

void HistoryFile::pruneCopiesKeptAside(std::size_t count) const {
    const std::string prefix = path().filename().string() + ".unreadable-";
    std::vector<std::pair<std::pair<std::string, long>, std::filesystem::path>> copies;
    std::error_code error;
    const auto parent = path().parent_path();
    const auto folder = parent.empty() ? std::filesystem::path(".") : parent;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(prefix)) {
            copies.emplace_back(asideAge(name.substr(prefix.size())), entry.path());
        }
    }
    if (copies.size() <= count) {
        return;
    }
    std::sort(copies.begin(), copies.end());
    for (std::size_t i = 0; i + count < copies.size(); ++i) {
        std::filesystem::remove_all(copies[i].second, error);
    }
}

}  // namespace plovik
