#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "app/modes/GnomeIntegration.h"

namespace plovik {

class XkbKeymapLibrary;

// Plovik's part of a GNOME session with the real services behind it: GNOME's settings,
// the session's IBus, GNOME Shell's extensions and key bindings, and the record in the
// user's configuration folder. Needs no display: removing the package gives a user's
// sources back with only a session bus.
class GnomeSetup {
  public:
    static constexpr const char* kRecordName = "gnome-input-sources";

    // `activate` switches GNOME's current source through Plovik's extension (absent:
    // GNOME picks it from the order of use); `keymaps` names the layouts.
    GnomeSetup(std::filesystem::path configurationFolder, XkbKeymapLibrary& keymaps,
               std::function<bool(std::size_t)> activate = {});
    ~GnomeSetup();
    GnomeSetup(const GnomeSetup&) = delete;
    GnomeSetup& operator=(const GnomeSetup&) = delete;

    GnomeIntegration& integration() { return *integration_; }
    // Whether the user's GNOME sources name Plovik's engines.
    bool usesPlovikSources() const;

  private:
    // Held by pointer: GIO's headers must not meet Qt's keywords in the user interface.
    struct Services;

    std::unique_ptr<Services> services_;
    std::unique_ptr<GnomeIntegration> integration_;
};

}  // namespace plovik
