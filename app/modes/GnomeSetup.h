#pragma once

#include <filesystem>
#include <memory>
#include <optional>

#include "app/modes/GnomeIntegration.h"

namespace plovik {

class GnomeShellBridge;
class XkbKeymapLibrary;

// Plovik's part of a GNOME session with the real services behind it: GNOME's settings,
// the session's IBus, GNOME Shell's extensions and key bindings, and the record in the
// user's configuration folder. Needs no display: removing the package gives a user's
// sources back with only a session bus.
class GnomeSetup {
  public:
    static constexpr const char* kRecordName = "gnome-input-sources";

    // `keymaps` names the layouts; `bridge` is Plovik's Shell extension on the session bus
    // (null: the set-up opens its own).
    GnomeSetup(std::filesystem::path configurationFolder, XkbKeymapLibrary& keymaps,
               GnomeShellBridge* bridge = nullptr);
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
