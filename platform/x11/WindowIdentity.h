#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

#include "core/platform/ActiveApplication.h"
#include "platform/linux/DesktopEntryCatalog.h"

namespace plovik {

// What a top-level window says about the application that owns it.
struct WindowIdentity {
    std::optional<std::string> gtkApplicationId;
    std::optional<std::string> wmInstance;
    std::optional<std::string> wmClass;
    std::optional<pid_t> pid;
    // The file name of the process's program (from /proc/<pid>/exe).
    std::optional<std::string> executable;

    // The desktop-entry id and name: the entry of GTK's application id first, then
    // WM_CLASS against StartupWMClass or an entry's name, then the process's program;
    // without any entry GTK's id, else the program.
    RunningApplication application(const DesktopEntryCatalog& catalog) const;

    static std::optional<std::string> executableOf(pid_t pid);
};

}  // namespace plovik
