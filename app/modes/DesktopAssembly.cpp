#include "app/modes/DesktopAssembly.h"

#include "app/modes/Fcitx5DesktopAssembly.h"
#include "app/modes/GnomeDesktopAssembly.h"
#include "app/modes/X11DesktopAssembly.h"
#include "core/text/LocalizedComparison.h"
#include "platform/linux/DesktopSystemServices.h"

namespace plovik {

namespace {

template <typename Assembly>
std::variant<std::unique_ptr<DesktopAssembly>, std::string> opened(
    std::variant<std::unique_ptr<Assembly>, std::string> result) {
    if (auto* error = std::get_if<std::string>(&result)) {
        return *error;
    }
    return std::unique_ptr<DesktopAssembly>(std::move(std::get<0>(result)));
}

}  // namespace

std::variant<std::unique_ptr<DesktopAssembly>, std::string> DesktopAssembly::open(
    const std::string& mode) {
    // PLOVIK_DESKTOP names the route where the session allows more than one.
    const bool chosen = XdgDirectories::processEnvironment()("PLOVIK_DESKTOP").has_value();
    if (!chosen && GnomeDesktopAssembly::isGnomeWaylandSession()) {
        return opened(GnomeDesktopAssembly::open(mode));
    }
    if (Fcitx5DesktopAssembly::isChosen(XdgDirectories::processEnvironment())) {
        return opened(Fcitx5DesktopAssembly::open());
    }
    return opened(X11DesktopAssembly::open(mode));
}

DesktopAssembly::DesktopAssembly() = default;

DesktopAssembly::~DesktopAssembly() {
    endCoordinator();
}

void DesktopAssembly::endCoordinator() {
    coordinator_.reset();
    subscriptions_.clear();
}

std::optional<std::string> DesktopAssembly::startCoordinator() {
    const auto environment = XdgDirectories::processEnvironment();
    const auto defaultsDirectory = XdgDirectories::defaultsDirectory(environment);
    if (!defaultsDirectory) {
        return std::string("no place for the settings: neither XDG_CONFIG_HOME nor HOME is set");
    }
    coordinatorStarting();
    defaults_ = std::make_unique<FolderSettingsFiles>(*defaultsDirectory);
    settings_ = std::make_unique<SettingsStore>(
        *defaults_, SettingsStore::kStandardStorageKey, clock_,
        text::LocalizedComparison(text::LocalizedComparison::userLocaleName()));
    systemServices_ = std::make_unique<DesktopSystemServices>(
        applicationCatalog_,
        DesktopSystemServices::Options{environment, std::nullopt, std::nullopt});
    followShortcutSettings();
    const DesktopPorts desktop = ports();
    coordinator_ = AppCoordinator::create(
        *settings_,
        CoordinatorEnvironment{desktop.tapFactory, queue_, clock_, desktop.accessibility,
                               desktop.eventPoster, desktop.keyboardHolder, desktop.workspace,
                               desktop.inputMonitoring, desktop.inputSources, spellChecker_,
                               applicationSupport_, *systemServices_, applicationCatalog_,
                               desktop.shortcutProbe});
    coordinatorStarted();
    warmUpSpellChecking();
    return std::nullopt;
}

void DesktopAssembly::followShortcutSettings() {
    subscriptions_.push_back(settings_->subscribe([this](const AppSettings& settings) {
        shortcutsChanged({settings.manualShortcut, settings.undoShortcut, settings.pauseShortcut,
                          settings.convertShortcut});
    }));
}

// Loading a dictionary takes 50-100 ms: paid at start, not by the first correction,
// which would otherwise find the user already typing the next word.
void DesktopAssembly::warmUpSpellChecking() {
    for (const auto& language : spellChecker_.availableLanguages()) {
        (void)spellChecker_.isSpelledCorrectly("plovik", language);
    }
}

}  // namespace plovik
