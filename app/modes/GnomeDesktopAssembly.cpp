#include "app/modes/GnomeDesktopAssembly.h"

#include <cstdlib>
#include <sstream>

#include "app/modes/GnomeSetup.h"
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
#include "platform/linux/SessionBusWatch.h"
#include "platform/linux/XdgDirectories.h"

namespace plovik {

namespace {

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

}  // namespace

// Declared in the order they are built, so that teardown runs backwards.
struct GnomeDesktopAssembly::Parts {
    Parts(GLibMainQueue& mainQueue, XkbKeymapLibrary& keymapLibrary)
        : queue(mainQueue), keymaps(keymapLibrary) {}

    GLibMainQueue& queue;
    XkbKeymapLibrary& keymaps;
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
                     keymaps, &bridge};
    GnomeShortcutProbe shortcutProbe;
    GnomeKeyboardAccess inputMonitoring{link, [this] { return !setup.integration().turnOn(); }};
    std::optional<Subscription> engineWatch;
    std::unique_ptr<SessionBusWatch> busWatch;
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

GnomeDesktopAssembly::GnomeDesktopAssembly() : parts_(std::make_unique<Parts>(queue_, keymaps_)) {
    parts_->editor.observeEdits(
        [this](std::chrono::steady_clock::duration held) { parts_->editHolds.add(held); });
    parts_->bridge.refresh();
    parts_->link.start();
}

GnomeDesktopAssembly::~GnomeDesktopAssembly() {
    parts_->engineWatch.reset();
    endCoordinator();
}

DesktopAssembly::DesktopPorts GnomeDesktopAssembly::ports() {
    Parts& parts = *parts_;
    return {parts.tapFactory, parts.accessibility,   parts.eventPoster,  parts.keyboardHolder,
            parts.workspace,  parts.inputMonitoring, parts.inputSources, parts.shortcutProbe};
}

void GnomeDesktopAssembly::shortcutsChanged(const std::vector<ShortcutDefinition>& shortcuts) {
    parts_->tapFactory.setShortcuts(shortcuts);
}

void GnomeDesktopAssembly::coordinatorStarting() {
    // A change of input sources cut short by a crash is finished or undone first.
    parts_->setup.integration().settleUnfinishedChange();
}

void GnomeDesktopAssembly::coordinatorStarted() {
    // The engines may come after Plovik (or come back): the permissions follow at once.
    parts_->engineWatch =
        parts_->link.connected().subscribe([this](bool) { coordinator().refreshPermissions(); });
}

std::optional<std::string> GnomeDesktopAssembly::missingPermission() const {
    // At log-in IBus may start Plovik's engines a moment after Plovik.
    if (parts_->setup.usesPlovikSources()) {
        (void)parts_->link.waitForConnection(kEngineStartWait);
    }
    return parts_->inputMonitoring.problem();
}

std::string GnomeDesktopAssembly::sessionDescription() const {
    std::string text = "on GNOME through Plovik's input sources, with the layouts";
    for (const auto& source : parts_->inputSources.enabledKeyboardSources()) {
        if (source.type == InputSource::kKeyboardLayoutType && source.id) {
            text += " " + *source.id;
        }
    }
    return text;
}

std::optional<X11FreezeRecord::Summary> GnomeDesktopAssembly::keyboardFreezes() const {
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

}  // namespace plovik
