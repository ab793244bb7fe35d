#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app/coordinator/AppCoordinator.h"
#include "app/modes/DesktopAssembly.h"
#include "app/modes/X11AccessBackends.h"
#include "core/settings/SettingsStore.h"
#include "core/support/SystemClock.h"
#include "platform/linux/EnchantSpellChecker.h"
#include "platform/linux/FolderSettingsFiles.h"
#include "platform/linux/GLibMainQueue.h"
#include "platform/linux/SessionBusWatch.h"
#include "platform/linux/XdgApplicationCatalog.h"
#include "platform/linux/XdgDirectories.h"
#include "platform/linux/XdgUserDataFolder.h"
#include "platform/linux/XkbKeymapLibrary.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/XcbShortcutProbe.h"

namespace plovik {

// Held by pointer: its GIO headers must not meet Qt's keywords in the user interface.
class DesktopSystemServices;

// The coordinator on the user's X11 desktop, with every real backend: the main queue on
// GLib's default context (which a Qt event loop on Linux serves too), the X11 keyboard,
// AT-SPI and the active window, Enchant, the settings and history in their XDG places,
// and the desktop's notifications, sounds, autostart entry and updater.
//
// Built in two steps: opening the display takes nothing from the desktop, so a second
// copy of the program can still step aside before the coordinator claims the keyboard.
class X11DesktopAssembly final : public DesktopAssembly {
  public:
    // Why this session cannot be used (a Wayland session, no X11 display, no EWMH window
    // manager); `mode` names the program in the message ("plovik --headless").
    static std::variant<std::unique_ptr<X11DesktopAssembly>, std::string> open(
        const std::string& mode);
    ~X11DesktopAssembly() override;
    X11DesktopAssembly(const X11DesktopAssembly&) = delete;
    X11DesktopAssembly& operator=(const X11DesktopAssembly&) = delete;

    // Reads the settings and creates the coordinator, which starts correcting once both
    // permissions are there. A readable reason when there is no place for the settings.
    std::optional<std::string> startCoordinator() override;

    // Why corrections cannot happen yet: the input-monitoring problem or accessibility
    // being off; absent when both are there.
    std::optional<std::string> missingPermission() const override;
    std::string description() const override;
    std::optional<X11FreezeRecord::Summary> keyboardHolds() const override;

    static constexpr const char* kXServerLostMessage = "the X server connection was lost";
    static constexpr const char* kSessionBusLostMessage = "the session bus connection was lost";
    // `onLost` runs once, on the main thread, with the reason for the user, when the X server
    // or the session bus is gone: nothing can be corrected then, and the program should end.
    void watchForLoss(std::function<void(const std::string&)> onLost) override;

    // Valid after startCoordinator().
    SettingsStore& settingsStore() override { return *settings_; }
    AppCoordinator& coordinator() override { return *coordinator_; }
    const Clock& clock() const override { return clock_; }
    X11Desktop& desktop() { return *desktop_; }
    GLibMainQueue& mainQueue() { return queue_; }

    // PLOVIK_GRAB_ANSWER_MS lets tests on a crowded machine give the main thread longer
    // to answer for a grabbed key (1-50 ms); users keep the few milliseconds.
    static std::chrono::milliseconds grabAnswerBudget(const char* setting);

  private:
    X11DesktopAssembly() = default;
    void followShortcutSettings();
    void warmUpSpellChecking();

    // Declared in the order they are built, so that teardown runs backwards: the
    // coordinator goes first, while the desktop it posts its last keys to is there.
    SystemClock clock_;
    GLibMainQueue queue_;
    XkbKeymapLibrary keymaps_;
    std::unique_ptr<X11Desktop> desktop_;
    X11AccessBackends::Backends access_;
    EnchantSpellChecker spellChecker_{
        XdgDirectories::configHome(XdgDirectories::processEnvironment())};
    XdgUserDataFolder applicationSupport_;
    XdgApplicationCatalog applicationCatalog_;
    std::unique_ptr<DesktopSystemServices> systemServices_;
    std::unique_ptr<XcbShortcutProbe> shortcutProbe_;
    std::unique_ptr<FolderSettingsFiles> defaults_;
    std::unique_ptr<SettingsStore> settings_;
    std::vector<Subscription> subscriptions_;
    std::shared_ptr<AppCoordinator> coordinator_;
    std::unique_ptr<SessionBusWatch> busWatch_;
};

}  // namespace plovik
