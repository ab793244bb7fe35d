#include "tests/support/rehearsal/FixtureLines.h"

#include <poll.h>
#include <unistd.h>

namespace plovik {

std::optional<std::string> FixtureLines::waitFor(const std::string& prefix,
                                                 std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        for (auto end = pending_.find('\n'); end != std::string::npos; end = pending_.find('\n')) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            if (line.starts_with(prefix)) {
                return line;
            }
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd request{process_.standardOutput(), POLLIN, 0};
        if (left.count() <= 0 || ::poll(&request, 1, static_cast<int>(left.count())) <= 0) {
            return std::nullopt;
        }
        char chunk[4096];
        const ssize_t count = ::read(process_.standardOutput(), chunk, sizeof chunk);
        if (count <= 0) {
            return std::nullopt;
        }
        pending_.append(chunk, static_cast<std::size_t>(count));
    }
}

void FixtureLines::send(const std::string& line) {
    const std::string whole = line + "\n";
    [[maybe_unused]] auto written = ::write(process_.standardInput(), whole.data(), whole.size());
}

std::optional<std::string> FixtureLines::text(const std::string& field) {
    send("get " + field);
    const auto line = waitFor(field + " ", std::chrono::seconds(3));
    return line ? std::optional(line->substr(field.size() + 1)) : std::nullopt;
}

}  // namespace plovik
