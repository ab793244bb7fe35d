#include "platform/virtualsession/ProcessIdentity.h"

#include <csignal>
#include <sstream>
#include <string>

#include "platform/virtualsession/ProcFile.h"

namespace plovik {
namespace {

struct ProcessStat {
    char state = '?';
    std::uint64_t startTime = 0;
};

// /proc/<pid>/stat: the command name may hold spaces and parentheses, so fields are
// counted from the last ')'.
std::optional<ProcessStat> readStat(pid_t pid) {
    const std::string line =
        ProcFile::read("/proc/" + std::to_string(pid) + "/stat").value_or(std::string());
    const auto nameEnd = line.rfind(')');
    if (nameEnd == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(line.substr(nameEnd + 1));
    ProcessStat stat;
    fields >> stat.state;
    std::string skipped;
    // Fields 4 to 21 lie between the state and the start time (field 22).
    for (int field = 4; field <= 21; ++field) {
        fields >> skipped;
    }
    fields >> stat.startTime;
    if (!fields) {
        return std::nullopt;
    }
    return stat;
}

bool isGone(const ProcessStat& stat) {
    return stat.state == 'Z' || stat.state == 'X';
}

}  // namespace

std::optional<ProcessIdentity> ProcessIdentity::of(pid_t pid) {
    const auto stat = readStat(pid);
    if (!stat || isGone(*stat)) {
        return std::nullopt;
    }
    return ProcessIdentity(pid, stat->startTime);
}

bool ProcessIdentity::isRunning() const {
    const auto stat = readStat(pid_);
    return stat && !isGone(*stat) && stat->startTime == startTime_;
}

bool ProcessIdentity::signal(int signalNumber) const {
    return isRunning() && ::kill(pid_, signalNumber) == 0;
}

}  // namespace plovik
