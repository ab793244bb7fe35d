#pragma once

#include <string>

namespace plovik {

// Turning a GNOME Shell extension on and off for the user.
class GnomeExtensionControl {
  public:
    enum class State { active, inactive, unknownToShell, shellUnreachable };

    virtual ~GnomeExtensionControl() = default;
    virtual State state(const std::string& uuid) = 0;
    // The Shell runs it now, or will at the next log-in (it loads new extensions only
    // then); false when neither could be arranged.
    virtual bool enable(const std::string& uuid) = 0;
    virtual bool disable(const std::string& uuid) = 0;
};

}  // namespace plovik
