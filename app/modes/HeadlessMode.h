#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/platform/Accessibility.h"
#include "core/platform/Workspace.h"
#include "core/support/Published.h"

namespace plovik {

class GLibMainQueue;

// Plovik on the real X11 desktop without a user interface: the coordinator with the
// X11 backends, settings and history in their XDG places, one log line per
// correction, undo and status change, until SIGINT or SIGTERM.
class HeadlessMode {
  public:
    // The accessibility side of the desktop, opened on the main queue's context.
    struct AccessBackends {
        std::unique_ptr<Accessibility> accessibility;
        std::unique_ptr<Workspace> workspace;
    };

    // The exit status: 0 after an interruption, 1 when the desktop cannot be used.
    static int run(std::ostream& log);
};

}  // namespace plovik
