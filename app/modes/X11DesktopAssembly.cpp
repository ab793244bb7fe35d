#include "app/modes/X11DesktopAssembly.h"

#include <cstdlib>
#include <utility>

#include "core/platform/Key.h"
#include "core/text/LocalizedComparison.h"
#include "platform/linux/DesktopSystemServices.h"
#include "platform/linux/XdgDirectories.h"
#include "platform/x11/X11ModifierFlags.h"

namespace plovik {

std::variant<std::unique_ptr<X11DesktopAssembly>, std::string> X11DesktopAssembly::open(
    const std::string& mode) {
    const auto environment = X11Desktop::processEnvironment();
    if (X11KeyboardAccess::isWaylandSession(environment)) {
        return std::string(X11KeyboardAccess::kWaylandMessage);
    }
    std::unique_ptr<X11DesktopAssembly> assembly(new X11DesktopAssembly());
    auto opened = X11Desktop::open(assembly->queue_, assembly->keymaps_, environment, nullptr, {},
                                   grabAnswerBudget(std::getenv("PLOVIK_GRAB_ANSWER_MS")));
    if (auto* error = std::get_if<std::string>(&opened)) {
        return *error + "; " + mode + " needs an X11 session";
    }
    assembly->desktop_ = std::move(std::get<0>(opened));
    auto access = X11AccessBackends::open();
    if (auto* error = std::get_if<std::string>(&access)) {
        return *error;
    }
    assembly->access_ = std::move(std::get<X11AccessBackends::Backends>(access));
    return assembly;
}

X11DesktopAssembly::~X11DesktopAssembly() = default;

std::chrono::milliseconds X11DesktopAssembly::grabAnswerBudget(const char* setting) {
    const long milliseconds = setting ? std::strtol(setting, nullptr, 10) : 0;
    return milliseconds >= 1 && milliseconds <= 50 ? std::chrono::milliseconds(milliseconds)
                                                   : X11KeyCaptureFactory::kGrabAnswerBudget;
}

std::optional<std::string> X11DesktopAssembly::startCoordinator() {
    const auto environment = XdgDirectories::processEnvironment();
    const auto defaultsDirectory = XdgDirectories::defaultsDirectory(environment);
    if (!defaultsDirectory) {
        return std::string("no place for the settings: neither XDG_CONFIG_HOME nor HOME is set");
    }
    defaults_ = std::make_unique<FolderSettingsFiles>(*defaultsDirectory);
    settings_ = std::make_unique<SettingsStore>(
        *defaults_, SettingsStore::kStandardStorageKey, clock_,
        text::LocalizedComparison(text::LocalizedComparison::userLocaleName()));
    systemServices_ = std::make_unique<DesktopSystemServices>(
        applicationCatalog_,
        DesktopSystemServices::Options{environment, std::nullopt, std::nullopt});
    followShortcutSettings();
    shortcutProbe_ =
        std::make_unique<XcbShortcutProbe>(std::nullopt, [this](Key key, Modifiers modifiers) {
            // Our own grabs are not another program's.
            return desktop_->tapFactory().holds(xKeycode(key),
                                                X11ModifierFlags::realModifiers(modifiers));
        });
    coordinator_ = AppCoordinator::create(
        *settings_,
        CoordinatorEnvironment{desktop_->tapFactory(), queue_, clock_, *access_.accessibility,
                               desktop_->eventPoster(), desktop_->keyboardHold(),
                               *access_.workspace, desktop_->inputMonitoring(),
                               desktop_->inputSources(), spellChecker_, applicationSupport_,
                               *systemServices_, applicationCatalog_, *shortcutProbe_});
    warmUpSpellChecking();
    return std::nullopt;
}

std::optional<std::string> X11DesktopAssembly::missingPermission() const {
    if (const auto problem = desktop_->inputMonitoring().problem()) {
        return problem;
    }
    if (!access_.accessibility->isProcessTrusted()) {
        return std::string(X11AccessBackends::kAccessibilityOffMessage);
    }
    return std::nullopt;
}

std::string X11DesktopAssembly::description() const {
    const char* display = std::getenv("DISPLAY");
    std::string text = std::string(display ? display : "") + " with the layouts";
    for (const auto& id : desktop_->inputSources().groupIds()) {
        text += " " + id;
    }
    return text;
}

std::optional<X11FreezeRecord::Summary> X11DesktopAssembly::keyboardHolds() const {
    return desktop_->tapFactory().freezes().summary();
}

void X11DesktopAssembly::watchForLoss(std::function<void(const std::string&)> onLost) {
    auto told = std::make_shared<bool>(false);
    auto tell = [this, onLost = std::move(onLost), told](const std::string& reason) {
        if (std::exchange(*told, true)) {
            return;
        }
        // The accessibility bus goes with the X server or the session bus.
        access_.atspi->abandon();
        onLost(reason);
    };
    desktop_->pump().setLossHandler([tell] { tell(kXServerLostMessage); });
    desktop_->tapFactory().setLossHandler([tell] { tell(kXServerLostMessage); });
    busWatch_ = SessionBusWatch::watch([tell] { tell(kSessionBusLostMessage); });
}

void X11DesktopAssembly::followShortcutSettings() {
    subscriptions_.push_back(settings_->subscribe([this](const AppSettings& settings) {
        desktop_->tapFactory().setShortcuts({settings.manualShortcut, settings.undoShortcut,
                                             settings.pauseShortcut, settings.convertShortcut});
    }));
}

// Loading a dictionary takes 50-100 ms: paid at start, not by the first correction,
// which would otherwise find the user already typing the next word.
void X11DesktopAssembly::warmUpSpellChecking() {
    for (const auto& language : spellChecker_.availableLanguages()) {
        (void)spellChecker_.isSpelledCorrectly("plovik", language);
    }
}

}  // namespace plovik
