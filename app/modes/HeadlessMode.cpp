#include "app/modes/HeadlessMode.h"

#include <glib-unix.h>
#include <glib.h>

#include <csignal>
#include <cstdlib>
#include <variant>

#include "app/coordinator/AppCoordinator.h"
#include "app/modes/X11AccessBackends.h"
#include "core/settings/SettingsStore.h"
#include "core/support/SystemClock.h"
#include "core/text/LocalizedComparison.h"
#include "platform/linux/EnchantSpellChecker.h"
#include "platform/linux/FileDefaultsDatabase.h"
#include "platform/linux/GLibMainQueue.h"
#include "platform/linux/XdgApplicationCatalog.h"
#include "platform/linux/XdgApplicationSupportDirectory.h"
#include "platform/linux/XdgDirectories.h"
#include "platform/linux/XkbKeymapLibrary.h"
#include "platform/simulated/SimulatedSystemServices.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/X11ModifierFlags.h"
#include "platform/x11/XcbShortcutProbe.h"

namespace plovik {

namespace {

constexpr const char* kX11Only = "plovik --headless needs an X11 session";

// Everything a headless run owns, in the order it is built (and so torn down backwards:
// the coordinator goes first, while the desktop it posts its last keys to is there).
class HeadlessRun {
  public:
    explicit HeadlessRun(std::ostream& log) : log_(log) {}

    std::optional<std::string> start() {
        if (X11InputMonitoringAccess::isWaylandSession(X11Desktop::processEnvironment())) {
            return std::string(X11InputMonitoringAccess::kWaylandMessage);
        }
        auto opened = X11Desktop::open(queue_, keymaps_, X11Desktop::processEnvironment(), nullptr,
                                       {}, grabAnswerBudget());
        if (auto* error = std::get_if<std::string>(&opened)) {
            return *error + "; " + kX11Only;
        }
        desktop_ = std::move(std::get<0>(opened));
        if (const auto problem = desktop_->inputMonitoring().problem()) {
            return *problem;
        }
        auto access = X11AccessBackends::open(queue_);
        if (auto* error = std::get_if<std::string>(&access)) {
            return *error;
        }
        access_ = std::move(std::get<HeadlessMode::AccessBackends>(access));
        if (!access_.accessibility->isProcessTrusted()) {
            return X11AccessBackends::kAccessibilityOffMessage;
        }
        const auto environment = XdgDirectories::processEnvironment();
        const auto defaultsDirectory = XdgDirectories::defaultsDirectory(environment);
        if (!defaultsDirectory) {
            return std::string(
                "no place for the settings: neither XDG_CONFIG_HOME nor HOME is set");
        }
        defaults_ = std::make_unique<FileDefaultsDatabase>(*defaultsDirectory);
        settings_ = std::make_unique<SettingsStore>(
            *defaults_, SettingsStore::kStandardStorageKey, clock_,
            text::LocalizedComparison(text::LocalizedComparison::userLocaleName()));
        subscriptions_.push_back(settings_->subscribe([this](const AppSettings& settings) {
            desktop_->tapFactory().setShortcuts(
                {settings.manualShortcut, settings.undoShortcut, settings.pauseShortcut});
        }));
        shortcutProbe_ =
            std::make_unique<XcbShortcutProbe>(std::nullopt, [this](Key key, Modifiers modifiers) {
                return desktop_->tapFactory().holds(static_cast<std::uint32_t>(key) + 8,
                                                    X11ModifierFlags::realModifiers(modifiers));
            });
        coordinator_ = AppCoordinator::create(
            *settings_,
            CoordinatorEnvironment{desktop_->tapFactory(), queue_, clock_, *access_.accessibility,
                                   desktop_->eventPoster(), *access_.workspace,
                                   desktop_->inputMonitoring(), desktop_->inputSources(),
                                   spellChecker_, applicationSupport_, systemServices_,
                                   applicationCatalog_, *shortcutProbe_});
        warmUpSpellChecking();
        report();
        return std::nullopt;
    }

  private:
    // PLOVIK_GRAB_ANSWER_MS lets tests on a crowded machine give the main thread longer
    // to answer for a grabbed key (1-50 ms); users keep the few milliseconds.
    static std::chrono::milliseconds grabAnswerBudget() {
        const char* value = std::getenv("PLOVIK_GRAB_ANSWER_MS");
        const long milliseconds = value ? std::strtol(value, nullptr, 10) : 0;
        return milliseconds >= 1 && milliseconds <= 50 ? std::chrono::milliseconds(milliseconds)
                                                       : X11KeyEventTapFactory::kGrabAnswerBudget;
    }

    // Loading a dictionary takes 50-100 ms: paid at start, not by the first correction,
    // which would otherwise find the user already typing the next word.
    void warmUpSpellChecking() {
        for (const auto& language : spellChecker_.availableLanguages()) {
            (void)spellChecker_.isSpelledCorrectly("plovik", language);
        }
    }

    void report() {
        log_ << "plovik: correcting on " << std::getenv("DISPLAY") << " with the layouts";
        for (const auto& id : desktop_->inputSources().groupIds()) {
            log_ << " " << id;
        }
        log_ << "; " << settings_->settings().applications.size() << " applications enabled"
             << std::endl;
        subscriptions_.push_back(coordinator_->statusMessage().subscribe(
            [this](const std::optional<std::string>& message) {
                if (message) {
                    log_ << "plovik: " << *message << std::endl;
                }
            }));
        subscriptions_.push_back(coordinator_->monitoringError().subscribe(
            [this](const std::optional<std::string>& error) {
                if (error) {
                    log_ << "plovik: " << *error << std::endl;
                }
            }));
        subscriptions_.push_back(coordinator_->permissionSnapshot().subscribe(
            [this](const PermissionSnapshot& snapshot) {
                log_ << "plovik: accessibility " << (snapshot.accessibilityGranted ? "on" : "off")
                     << ", input monitoring "
                     << (snapshot.inputMonitoringGranted ? "granted" : "not granted") << std::endl;
            }));
        subscriptions_.push_back(coordinator_->observeChanges([this] {
            const bool paused = coordinator_->isPaused();
            if (paused != wasPaused_) {
                wasPaused_ = paused;
                log_ << "plovik: " << (paused ? "paused" : "resumed") << std::endl;
            }
        }));
    }

    std::ostream& log_;
    SystemClock clock_;
    GLibMainQueue queue_;
    XkbKeymapLibrary keymaps_;
    std::unique_ptr<X11Desktop> desktop_;
    HeadlessMode::AccessBackends access_;
    EnchantSpellChecker spellChecker_;
    XdgApplicationSupportDirectory applicationSupport_;
    SimulatedSystemServices systemServices_;
    XdgApplicationCatalog applicationCatalog_;
    std::unique_ptr<XcbShortcutProbe> shortcutProbe_;
    std::unique_ptr<FileDefaultsDatabase> defaults_;
    std::unique_ptr<SettingsStore> settings_;
    std::vector<Subscription> subscriptions_;
    std::shared_ptr<AppCoordinator> coordinator_;
    bool wasPaused_ = false;
};

gboolean quit(gpointer loop) {
    g_main_loop_quit(static_cast<GMainLoop*>(loop));
    return G_SOURCE_CONTINUE;
}

}  // namespace

int HeadlessMode::run(std::ostream& log) {
    auto run = std::make_unique<HeadlessRun>(log);
    if (const auto error = run->start()) {
        log << "plovik: " << *error << std::endl;
        return 1;
    }
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    const guint interrupt = g_unix_signal_add(SIGINT, quit, loop);
    const guint terminate = g_unix_signal_add(SIGTERM, quit, loop);
    g_main_loop_run(loop);
    g_source_remove(interrupt);
    g_source_remove(terminate);
    log << "plovik: stopped" << std::endl;
    run.reset();
    g_main_loop_unref(loop);
    return 0;
}

}  // namespace plovik
