#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/virtualsession/ProcFile.h"
#include "platform/virtualsession/ProcessIdentity.h"

namespace plovik::testing {

// Live processes whose environment carries `entry` ("NAME=value"): every process a
// session starts inherits its marker, helpers of helpers included.
inline std::vector<pid_t> processesWithEnvironment(const std::string& entry) {
    std::vector<pid_t> found;
    std::error_code error;
    for (const auto& process : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = process.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        const std::string environment =
            ProcFile::read(process.path() / "environ").value_or(std::string());
        const std::string needle = entry + '\0';
        if ((environment.starts_with(needle) ||
             environment.find('\0' + needle) != std::string::npos) &&
            ProcessIdentity::of(std::stoi(name))) {
            found.push_back(std::stoi(name));
        }
    }
    return found;
}

// A loaded machine may take seconds to start or stop a daemon: the waits below are
// generous and end as soon as the condition holds.
inline constexpr std::chrono::milliseconds kGenerousWait{20000};

// Waits until at least `minimum` processes carry `entry`; returns how many do at the end.
inline std::size_t processesWithEnvironmentReach(const std::string& entry, std::size_t minimum,
                                                 std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    auto count = processesWithEnvironment(entry).size();
    while (count < minimum && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        count = processesWithEnvironment(entry).size();
    }
    return count;
}

// Daemons take a moment to go once told; gives them up to `timeout`.
inline std::vector<pid_t> processesLeftAfter(const std::string& entry,
                                             std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    auto left = processesWithEnvironment(entry);
    while (!left.empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        left = processesWithEnvironment(entry);
    }
    return left;
}

}  // namespace plovik::testing
