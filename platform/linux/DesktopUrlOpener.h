#pragma once

#include <string>

namespace plovik {

// Opens an address as the desktop would: a settings page in the desktop's settings
// program, anything else with the user's default handler for its scheme.
class DesktopUrlOpener {
  public:
    // False when nothing could open the address.
    static bool open(const std::string& url);
};

}  // namespace plovik
