#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app/modes/DesktopAssembly.h"

namespace plovik {

// The coordinator on a GNOME Wayland session: keys, the focused field and its edits
// through Plovik's IBus engines, input sources and the application in front through
// Plovik's GNOME Shell extension, and the setting-up of both (GNOME's input sources
// replaced by Plovik's, and back). The rest is every desktop's.
class GnomeDesktopAssembly final : public DesktopAssembly {
  public:
    static constexpr const char* kDesktopName = "GNOME";
    static constexpr std::chrono::milliseconds kEngineStartWait{3000};

    // Whether the session is GNOME on Wayland, by its environment.
    static bool isGnomeWaylandSession();
    static std::variant<std::unique_ptr<GnomeDesktopAssembly>, std::string> open(
        const std::string& mode);
    ~GnomeDesktopAssembly() override;

    std::optional<std::string> missingPermission() const override;
    std::string sessionDescription() const override;
    DesktopKind kind() const override { return DesktopKind::gnome; }
    void watchForLoss(std::function<void(const std::string&)> onLost) override;
    // The engine holds the user's keys while it carries out an edit: each edit's round
    // trip, which the hold never outlasts.
    std::optional<X11FreezeRecord::Summary> keyboardFreezes() const override;
    DesktopIntegration* integration() override;

  private:
    // Held by pointer: GIO's headers must not meet Qt's keywords in the user interface.
    struct Parts;

    GnomeDesktopAssembly();
    DesktopPorts ports() override;
    void shortcutsChanged(const std::vector<ShortcutDefinition>& shortcuts) override;
    void coordinatorStarting() override;
    void coordinatorStarted() override;

    std::unique_ptr<Parts> parts_;
};

}  // namespace plovik
