#pragma once

#include "platform/gnome/GnomeExtensionControl.h"

namespace plovik {

// GNOME Shell's own extension service (org.gnome.Shell.Extensions) and the list of
// enabled extensions in the user's settings, which the Shell reads at log-in.
class GnomeShellExtensions final : public GnomeExtensionControl {
  public:
    State state(const std::string& uuid) override;
    bool enable(const std::string& uuid) override;
    bool disable(const std::string& uuid) override;

  private:
    bool call(const char* method, const std::string& uuid);
};

}  // namespace plovik
