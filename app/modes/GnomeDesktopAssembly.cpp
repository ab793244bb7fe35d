#include "app/modes/GnomeDesktopAssembly.h"

#include <cstdlib>
#include <sstream>

#include "app/modes/GnomeSetup.h"
#include "core/support/SystemClock.h"
#include "core/text/LocalizedComparison.h"
#include "platform/gnome/GnomeActiveApplication.h"
#include "platform/gnome/GnomeKeyboardAccess.h"
#include "platform/gnome/GnomeLayoutSource.h"
#include "platform/gnome/GnomeShellBridge.h"
#include "platform/gnome/GnomeShortcutProbe.h"
#include "platform/ibus/IbusEngineLink.h"
#include "platform/ibus/IbusFieldAccessibility.h"
#include "platform/ibus/IbusFieldEditor.h"
#include "platform/ibus/IbusKeyCaptureFactory.h"
#include "platform/ibus/IbusKeyInjector.h"
#include "platform/ibus/IbusKeyboardHolder.h"
#include "platform/linux/DesktopSystemServices.h"
#include "platform/linux/EnchantSpellChecker.h"
#include "platform/linux/FolderSettingsFiles.h"
#include "platform/linux/GLibMainQueue.h"
#include "platform/linux/SessionBusWatch.h"
#include "platform/linux/XdgApplicationCatalog.h"
#include "platform/linux/XdgDirectories.h"
#include "platform/linux/XdgUserDataFolder.h"
#include "platform/linux/XkbKeymapLibrary.h"

namespace plovik {

namespace {

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

}  // namespace

// Declared in the order they are built, so that teardown runs backwards: the coordinator
// goes first, while everything it uses is there.
struct GnomeDesktopAssembly::Parts {
    SystemClock clock;
    GLibMainQueue queue;
    XkbKeymapLibrary keymaps;
    IbusEngineLink link{ibus::EngineSocket::defaultPath(environment)};
    IbusKeyCaptureFactory tapFactory{link};
    IbusFieldEditor editor{link, tapFactory};
    X11FreezeRecord editHolds;
    IbusKeyInjector eventPoster{editor, queue};
    IbusKeyboardHolder keyboardHolder{link, tapFactory, eventPoster};
    GnomeShellBridge bridge;
    GnomeLayoutSource inputSources{bridge, keymaps, queue, [this] { (void)editor.settle(); }};
    GnomeActiveApplication workspace{bridge};
    IbusFieldAccessibility accessibility{link, editor,
                                         [this] { return workspace.focusedProcess(); }};
    GnomeSetup setup{XdgDirectories::defaultsDirectory(XdgDirectories::processEnvironment())
                         .value_or(std::filesystem::path("/nonexistent")),
                     keymaps, [this](std::size_t index) {
                         bridge.refresh();
                         return bridge.activate(index);
                     }};
    GnomeShortcutProbe shortcutProbe;
    GnomeKeyboardAccess inputMonitoring{link, [this] { return !setup.integration().turnOn(); }};
    EnchantSpellChecker spellChecker;
    XdgUserDataFolder applicationSupport;
    XdgApplicationCatalog applicationCatalog;
    std::unique_ptr<DesktopSystemServices> systemServices;
    std::unique_ptr<FolderSettingsFiles> defaults;
    std::unique_ptr<SettingsStore> settings;
    std::vector<Subscription> subscriptions;
    std::unique_ptr<SessionBusWatch> busWatch;
    std::shared_ptr<AppCoordinator> coordinator;
};

bool GnomeDesktopAssembly::isGnomeWaylandSession() {
    const auto type = environment("XDG_SESSION_TYPE");
    const auto display = environment("WAYLAND_DISPLAY");
    const bool wayland = type == "wayland" || (display && !display->empty());
    std::istringstream desktops(environment("XDG_CURRENT_DESKTOP").value_or(""));
    for (std::string desktop; std::getline(desktops, desktop, ':');) {
        if (desktop == kDesktopName) {
            return wayland;
        }
    }
    return false;
}

std::variant<std::unique_ptr<GnomeDesktopAssembly>, std::string> GnomeDesktopAssembly::open(
    const std::string& mode) {
    if (!ibus::EngineSocket::defaultPath(environment)) {
        return mode + " needs XDG_RUNTIME_DIR, where Plovik's input sources meet it";
    }
    return std::unique_ptr<GnomeDesktopAssembly>(new GnomeDesktopAssembly());
}

GnomeDesktopAssembly::GnomeDesktopAssembly() : parts_(std::make_unique<Parts>()) {
    parts_->editor.observeEdits(
        [this](std::chrono::steady_clock::duration held) { parts_->editHolds.add(held); });
    parts_->bridge.refresh();
    parts_->link.start();
}

GnomeDesktopAssembly::~GnomeDesktopAssembly() = default;

std::optional<std::string> GnomeDesktopAssembly::startCoordinator() {
    Parts& parts = *parts_;
    const auto environment = XdgDirectories::processEnvironment();
    const auto defaultsDirectory = XdgDirectories::defaultsDirectory(environment);
    if (!defaultsDirectory) {
        return std::string("no place for the settings: neither XDG_CONFIG_HOME nor HOME is set");
    }
    parts.setup.integration().settleUnfinishedChange();
    parts.defaults = std::make_unique<FolderSettingsFiles>(*defaultsDirectory);
    parts.settings = std::make_unique<SettingsStore>(
        *parts.defaults, SettingsStore::kStandardStorageKey, parts.clock,
        text::LocalizedComparison(text::LocalizedComparison::userLocaleName()));
    parts.systemServices = std::make_unique<DesktopSystemServices>(
        parts.applicationCatalog,
        DesktopSystemServices::Options{environment, std::nullopt, std::nullopt});
    parts.subscriptions.push_back(parts.settings->subscribe([&parts](const AppSettings& settings) {
        parts.tapFactory.setShortcuts({settings.manualShortcut, settings.undoShortcut,
                                       settings.pauseShortcut, settings.convertShortcut});
    }));
    parts.coordinator = AppCoordinator::create(
        *parts.settings,
        CoordinatorEnvironment{parts.tapFactory, parts.queue, parts.clock, parts.accessibility,
                               parts.eventPoster, parts.keyboardHolder, parts.workspace,
                               parts.inputMonitoring, parts.inputSources, parts.spellChecker,
                               parts.applicationSupport, *parts.systemServices,
                               parts.applicationCatalog, parts.shortcutProbe});
    // The engines may come after Plovik (or come back): the permissions follow at once.
    parts.subscriptions.push_back(parts.link.connected().subscribe(
        [&parts](bool) { parts.coordinator->refreshPermissions(); }));
    for (const auto& language : parts.spellChecker.availableLanguages()) {
        (void)parts.spellChecker.isSpelledCorrectly("plovik", language);
    }
    return std::nullopt;
}

std::optional<std::string> GnomeDesktopAssembly::missingPermission() const {
    // At log-in IBus may start Plovik's engines a moment after Plovik.
    if (parts_->setup.usesPlovikSources()) {
        (void)parts_->link.waitForConnection(kEngineStartWait);
    }
    return parts_->inputMonitoring.problem();
}

std::string GnomeDesktopAssembly::description() const {
    std::string text = "GNOME through Plovik's input sources, with the layouts";
    for (const auto& source : parts_->inputSources.enabledKeyboardSources()) {
        if (source.type == InputSource::kKeyboardLayoutType && source.id) {
            text += " " + *source.id;
        }
    }
    return text;
}

std::optional<X11FreezeRecord::Summary> GnomeDesktopAssembly::keyboardHolds() const {
    return parts_->editHolds.summary();
}

void GnomeDesktopAssembly::watchForLoss(std::function<void(const std::string&)> onLost) {
    // The engines may stop and come back (IBus restarts them); only the session bus's end
    // is the session's.
    parts_->busWatch = SessionBusWatch::watch(
        [onLost = std::move(onLost)] { onLost("the session bus connection was lost"); });
}

DesktopIntegration* GnomeDesktopAssembly::integration() {
    return &parts_->setup.integration();
}

SettingsStore& GnomeDesktopAssembly::settingsStore() {
    return *parts_->settings;
}

AppCoordinator& GnomeDesktopAssembly::coordinator() {
    return *parts_->coordinator;
}

const Clock& GnomeDesktopAssembly::clock() const {
    return parts_->clock;
}

}  // namespace plovik
