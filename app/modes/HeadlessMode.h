#pragma once

#include <ostream>

namespace plovik {

// Plovik on the real X11 desktop without a user interface: the coordinator with the
// X11 backends, settings and history in their XDG places, one log line per
// correction, undo and status change, until SIGINT or SIGTERM.
class HeadlessMode {
  public:
    // The exit status: 0 after an interruption; 1 when the desktop cannot be used, is lost
    // while running (the X server or the session bus ended), or another copy runs.
    static int run(std::ostream& log);
};

}  // namespace plovik
