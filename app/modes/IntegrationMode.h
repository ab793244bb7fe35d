#pragma once

#include <ostream>
#include <string>

namespace plovik {

// `plovik --integration on|off|status`: Plovik's part of the user's GNOME session without
// the application: its input sources in place of the user's (with what changes), given
// back, or described. Turning it off needs only the session bus, as when the package is
// removed.
class IntegrationMode {
  public:
    // 0 when done (or, for status, when it is on), 1 when it failed, 2 for a wrong request.
    static int run(const std::string& request, std::ostream& out, std::ostream& err);
};

}  // namespace plovik
