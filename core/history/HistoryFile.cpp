#include "core/history/HistoryFile.h"

#include <ctime>
#include <string>
#include <utility>

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

}  // namespace

HistoryFile::HistoryFile(std::filesystem::path path) : file_(std::move(path)) {}

HistoryFile::ReadResult HistoryFile::read() const {
    return file_.read();
}

bool HistoryFile::write(std::string_view bytes) const {
    return file_.replace(bytes, 0600);
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

}  // namespace plovik
