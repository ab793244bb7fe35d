#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app/coordinator/AppCoordinator.h"
#include "app/modes/DesktopKind.h"
#include "core/capture/ShortcutDefinition.h"
#include "core/settings/SettingsStore.h"
#include "core/support/SystemClock.h"
#include "platform/linux/EnchantSpellChecker.h"
#include "platform/linux/FolderSettingsFiles.h"
#include "platform/linux/GLibMainQueue.h"
#include "platform/linux/XdgApplicationCatalog.h"
#include "platform/linux/XdgDirectories.h"
#include "platform/linux/XdgUserDataFolder.h"
#include "platform/linux/XkbKeymapLibrary.h"
#include "platform/x11/X11FreezeRecord.h"

namespace plovik {

// Held by pointer: its GIO headers must not meet Qt's keywords in the user interface.
class DesktopSystemServices;
class DesktopIntegration;

// The coordinator on the user's desktop, with every real backend: the main queue on GLib's
// default context (which a Qt event loop on Linux serves too), the desktop's keyboard,
// fields, layouts and application in front, Enchant, the settings and history in their XDG
// places, and the desktop's notifications, sounds, autostart entry and updater. Each kind
// of desktop supplies its own keyboard and fields; the rest is shared.
//
// Built in two steps: opening the desktop takes nothing from it, so a second copy of the
// program can still step aside before the coordinator claims the keyboard.
class DesktopAssembly {
  public:
    // The X11 desktop in an X11 session; in a GNOME Wayland session, the keyboard and
    // fields through Plovik's IBus input sources; in another Wayland session, through
    // Fcitx5. A readable reason when the session cannot be used; `mode` names the
    // program in the message ("plovik --headless").
    static std::variant<std::unique_ptr<DesktopAssembly>, std::string> open(
        const std::string& mode);
    virtual ~DesktopAssembly();
    DesktopAssembly(const DesktopAssembly&) = delete;
    DesktopAssembly& operator=(const DesktopAssembly&) = delete;

    // Reads the settings and creates the coordinator, which starts correcting once both
    // permissions are there. A readable reason when there is no place for the settings.
    std::optional<std::string> startCoordinator();
    // Why corrections cannot happen yet; absent when nothing is missing.
    virtual std::optional<std::string> missingPermission() const = 0;
    // `onLost` runs once, on the main thread, with the reason for the user, when the desktop
    // is gone: nothing can be corrected then, and the program should end.
    virtual void watchForLoss(std::function<void(const std::string&)> onLost) = 0;
    // Where Plovik corrects and with which layouts, for the log ("on :1 with the layouts
    // xkb:us xkb:ru").
    virtual std::string sessionDescription() const = 0;
    virtual DesktopKind kind() const = 0;
    // How long corrections held the user's keys, where Plovik itself holds them (X11);
    // absent where the desktop holds them for Plovik or before the first hold.
    virtual std::optional<X11FreezeRecord::Summary> keyboardFreezes() const { return std::nullopt; }
    // What the desktop needs set up before Plovik can see typing there; null when nothing.
    virtual DesktopIntegration* integration() { return nullptr; }

    // Valid after startCoordinator().
    SettingsStore& settingsStore() { return *settings_; }
    AppCoordinator& coordinator() { return *coordinator_; }
    const Clock& clock() const { return clock_; }
    GLibMainQueue& mainQueue() { return queue_; }

  protected:
    // The desktop's own backends, which outlive the coordinator.
    struct DesktopPorts {
        KeyCaptureFactory& tapFactory;
        Accessibility& accessibility;
        KeyInjector& eventPoster;
        KeyboardHolder& keyboardHolder;
        ActiveApplication& workspace;
        KeyboardAccess& inputMonitoring;
        LayoutSource& inputSources;
        ShortcutProbe& shortcutProbe;
    };

    DesktopAssembly();
    virtual DesktopPorts ports() = 0;
    // Around the coordinator's creation, for what only the copy that goes on may do.
    virtual void coordinatorStarting() {}
    virtual void coordinatorStarted() {}
    // The keys the desktop must let Plovik swallow changed.
    virtual void shortcutsChanged(const std::vector<ShortcutDefinition>& shortcuts) = 0;
    // Each desktop's destructor calls this first: the coordinator goes while the desktop it
    // posts its last keys to is still there.
    void endCoordinator();

    SystemClock clock_;
    GLibMainQueue queue_;
    XkbKeymapLibrary keymaps_;
    XdgApplicationCatalog applicationCatalog_;

  private:
    void followShortcutSettings();
    void warmUpSpellChecking();

    EnchantSpellChecker spellChecker_{
        XdgDirectories::configHome(XdgDirectories::processEnvironment())};
    XdgUserDataFolder applicationSupport_;
    std::unique_ptr<DesktopSystemServices> systemServices_;
    std::unique_ptr<FolderSettingsFiles> defaults_;
    std::unique_ptr<SettingsStore> settings_;
    std::vector<Subscription> subscriptions_;
    std::shared_ptr<AppCoordinator> coordinator_;
};

}  // namespace plovik
