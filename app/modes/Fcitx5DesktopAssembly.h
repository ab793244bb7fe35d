#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app/modes/DesktopAssembly.h"
#include "core/platform/ActiveApplication.h"
#include "platform/atspi/AtspiAccessibility.h"
#include "platform/fcitx5/Fcitx5Accessibility.h"
#include "platform/fcitx5/Fcitx5ActiveApplication.h"
#include "platform/fcitx5/Fcitx5KeyCaptureFactory.h"
#include "platform/fcitx5/Fcitx5KeyInjector.h"
#include "platform/fcitx5/Fcitx5KeyboardAccess.h"
#include "platform/fcitx5/Fcitx5KeyboardHolder.h"
#include "platform/fcitx5/Fcitx5LayoutSource.h"
#include "platform/fcitx5/Fcitx5ModuleClient.h"
#include "platform/fcitx5/Fcitx5ShortcutProbe.h"
#include "platform/linux/SessionBusWatch.h"

namespace plovik {

// The coordinator where only an input method may see the keyboard (Wayland): keys, fields,
// edits and layouts through Plovik's Fcitx5 module, and the application in front from the
// compositor (sway) or from Fcitx5. Plovik starts without the module and begins correcting
// once it answers.
class Fcitx5DesktopAssembly final : public DesktopAssembly {
  public:
    static constexpr const char* kFcitx5NotRunningMessage =
        "Plovik works through the Fcitx5 input method framework on this desktop, and Fcitx5 is "
        "not running. Install it with Plovik's module (sudo apt install fcitx5 "
        "plovik-fcitx5), make it the input method (im-config -n fcitx5; on KDE Plasma choose "
        "Fcitx 5 under System Settings, Keyboard, Virtual Keyboard), add the keyboard layouts "
        "in its configuration (fcitx5-configtool), then log out and back in.";
    static constexpr const char* kModuleMissingMessage =
        "Plovik works through the Fcitx5 input method framework on this desktop; Fcitx5 is "
        "running, but not Plovik's module. Install it (sudo apt install plovik-fcitx5), then "
        "restart Fcitx5 (fcitx5 -r).";
    static constexpr const char* kSessionBusLostMessage = "the session bus connection was lost";

    // In a Wayland session; PLOVIK_DESKTOP=fcitx5 chooses it in an X11 session too, and
    // PLOVIK_DESKTOP=x11 never.
    static bool isChosen(const XdgDirectories::Environment& environment);
    static std::variant<std::unique_ptr<Fcitx5DesktopAssembly>, std::string> open();
    ~Fcitx5DesktopAssembly() override;

    // What to install or enable while the module does not answer.
    std::optional<std::string> missingPermission() const override;
    // The session bus ending; a module that goes is waited for instead.
    void watchForLoss(std::function<void(const std::string&)> onLost) override;
    std::string sessionDescription() const override;
    DesktopKind kind() const override { return DesktopKind::inputMethod; }

  private:
    Fcitx5DesktopAssembly();
    DesktopPorts ports() override;
    void shortcutsChanged(const std::vector<ShortcutDefinition>& shortcuts) override;
    std::unique_ptr<ActiveApplication> openWorkspace();
    // The compositor's word where it gives one, Fcitx5's otherwise.
    ActiveApplication& workspace();
    void wireModule();

    Fcitx5ModuleClient module_;
    Fcitx5KeyCaptureFactory taps_;
    Fcitx5LayoutSource inputSources_;
    Fcitx5KeyInjector eventPoster_;
    Fcitx5KeyboardHolder keyboardHolder_;
    Fcitx5KeyboardAccess inputMonitoring_;
    // Only asked which process has the focus, where neither sway nor Fcitx5 can say.
    std::unique_ptr<AtspiAccessibility> atspi_;
    Fcitx5ActiveApplication moduleWorkspace_;
    std::unique_ptr<ActiveApplication> compositorWorkspace_;
    Fcitx5Accessibility accessibility_;
    Fcitx5ShortcutProbe shortcutProbe_;
    std::unique_ptr<SessionBusWatch> busWatch_;
};

}  // namespace plovik
