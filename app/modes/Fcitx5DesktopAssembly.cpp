#include "app/modes/Fcitx5DesktopAssembly.h"

#include <cstdlib>
#include <sstream>

#include "app/modes/X11AccessBackends.h"
#include "platform/fcitx5/Fcitx5Presence.h"
#include "platform/fcitx5/protocol/ModuleSocketPath.h"
#include "platform/linux/DesktopEntryFiles.h"
#include "platform/sway/SwayActiveApplication.h"
#include "platform/x11/X11KeyboardAccess.h"

namespace plovik {

namespace {

DesktopEntryCatalog applicationEntries() {
    return DesktopEntryCatalog(
        DesktopEntryFiles::applicationFolders(XdgDirectories::processEnvironment()));
}

}  // namespace

bool Fcitx5DesktopAssembly::isChosen(const XdgDirectories::Environment& environment) {
    const auto chosen = environment("PLOVIK_DESKTOP");
    if (chosen == "fcitx5" || chosen == "x11") {
        return chosen == "fcitx5";
    }
    return X11KeyboardAccess::isWaylandSession([&](const char* name) { return environment(name); });
}

std::variant<std::unique_ptr<Fcitx5DesktopAssembly>, std::string> Fcitx5DesktopAssembly::open() {
    std::unique_ptr<Fcitx5DesktopAssembly> assembly(new Fcitx5DesktopAssembly());
    // Absent now, the module is looked for again whenever permissions are read.
    (void)assembly->module_.connect();
    return assembly;
}

Fcitx5DesktopAssembly::Fcitx5DesktopAssembly()
    : module_(ModuleSocketPath::forThisProcess()),
      taps_(queue_, module_),
      inputSources_(module_, keymaps_, queue_),
      eventPoster_(module_, taps_, queue_),
      keyboardHolder_(module_, taps_),
      inputMonitoring_(module_),
      moduleWorkspace_(module_, applicationEntries(), queue_,
                       [this]() -> std::optional<std::int32_t> {
                           if (!atspi_) {
                               return std::nullopt;
                           }
                           const auto element = atspi_->systemWideFocusedElement().valueIfPresent();
                           return element && *element
                                      ? (*element)->processIdentifier().valueIfPresent()
                                      : std::nullopt;
                       }),
      compositorWorkspace_(openWorkspace()),
      accessibility_(module_, [this]() -> std::optional<std::int32_t> {
          const auto front = workspace().frontmostApplication();
          if (!front || front->processIdentifier == 0) {
              return std::nullopt;
          }
          return front->processIdentifier;
      }) {
    if (!compositorWorkspace_) {
        atspi_ = std::make_unique<AtspiAccessibility>(X11AccessBackends::kCallTimeout);
    }
    wireModule();
}

Fcitx5DesktopAssembly::~Fcitx5DesktopAssembly() {
    endCoordinator();
    // No handler may run into the backends below once they start to go.
    module_.close();
}

std::unique_ptr<ActiveApplication> Fcitx5DesktopAssembly::openWorkspace() {
    const char* sway = std::getenv("SWAYSOCK");
    if (!sway || !*sway) {
        return nullptr;
    }
    return SwayActiveApplication::connect(sway, applicationEntries());
}

void Fcitx5DesktopAssembly::wireModule() {
    Fcitx5ModuleClient::Handlers handlers;
    handlers.press = [this](const module::Press& press) { taps_.pressed(press); };
    handlers.pressWentOn = [this](std::uint64_t sequence) { taps_.wentOn(sequence); };
    handlers.fieldChanged = [this] {
        taps_.fieldChanged();
        moduleWorkspace_.fieldChanged();
    };
    handlers.inputMethodsChanged = [this] { inputSources_.inputMethodsChanged(); };
    handlers.connectionChanged = [this](bool connected) {
        taps_.connectionChanged(connected);
        inputSources_.inputMethodsChanged();
    };
    module_.setHandlers(std::move(handlers));
}

ActiveApplication& Fcitx5DesktopAssembly::workspace() {
    return compositorWorkspace_ ? *compositorWorkspace_ : moduleWorkspace_;
}

Fcitx5DesktopAssembly::DesktopPorts Fcitx5DesktopAssembly::ports() {
    return DesktopPorts{taps_,       accessibility_,   eventPoster_,  keyboardHolder_,
                        workspace(), inputMonitoring_, inputSources_, shortcutProbe_};
}

std::optional<std::string> Fcitx5DesktopAssembly::missingPermission() const {
    if (!inputMonitoring_.problem()) {
        return std::nullopt;
    }
    return std::string(Fcitx5Presence::isRunning() ? kModuleMissingMessage
                                                   : kFcitx5NotRunningMessage);
}

void Fcitx5DesktopAssembly::watchForLoss(std::function<void(const std::string&)> onLost) {
    busWatch_ = SessionBusWatch::watch([onLost = std::move(onLost), told = false]() mutable {
        if (!std::exchange(told, true)) {
            onLost(kSessionBusLostMessage);
        }
    });
}

std::string Fcitx5DesktopAssembly::sessionDescription() const {
    std::ostringstream description;
    const char* display = std::getenv("WAYLAND_DISPLAY");
    description << "through Fcitx5 on " << (display && *display ? display : "this desktop")
                << " with the layouts";
    for (const auto& id : inputSources_.ids()) {
        description << " " << id;
    }
    return description.str();
}

void Fcitx5DesktopAssembly::shortcutsChanged(const std::vector<ShortcutDefinition>& shortcuts) {
    taps_.setShortcuts(shortcuts);
}

}  // namespace plovik
