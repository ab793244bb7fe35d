#pragma once

#include <optional>
#include <string>

#include "platform/virtualsession/ChildProcess.h"

namespace plovik {

// Whom a desktop of our own runs as. Some compositors (sway) refuse to run as root, so a
// session started by root runs as an unprivileged user of its own, created the first time.
class SessionUser {
  public:
    static constexpr const char* kName = "plovik-session";

    struct Choice {
        // Absent: as this process, which is not root.
        std::optional<ChildCredentials> credentials;
        // Why root has no user to run the session as.
        std::optional<std::string> problem;
    };

    static Choice forThisProcess();
};

}  // namespace plovik
