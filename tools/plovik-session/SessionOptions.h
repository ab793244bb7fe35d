#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/virtualsession/VirtualSession.h"

namespace plovik {

// The command line of plovik-session: [--tray] [--notifications] [-- COMMAND...].
struct SessionOptions {
    VirtualSessionOptions session;
    std::vector<std::string> command;
    bool help = false;

    // Absent (with `error` set) when the arguments make no sense.
    static std::optional<SessionOptions> parse(const std::vector<std::string>& arguments,
                                               std::string& error);
    static std::string usage();
};

}  // namespace plovik
