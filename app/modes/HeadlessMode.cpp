#include "app/modes/HeadlessMode.h"

#include <glib-unix.h>
#include <glib.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <iomanip>
#include <sstream>
#include <variant>

#include "app/modes/DesktopAssembly.h"
#include "app/modes/InstanceLock.h"
#include "app/modes/TeardownDeadline.h"

namespace plovik {

namespace {

// The assembled desktop and the log lines it gives; torn down before the main loop.
class HeadlessRun {
  public:
    explicit HeadlessRun(std::ostream& log) : log_(log) {}

    std::optional<std::string> start() {
        auto opened = DesktopAssembly::open("plovik --headless");
        if (auto* error = std::get_if<std::string>(&opened)) {
            return *error;
        }
        assembly_ = std::move(std::get<0>(opened));
        // Without a window, nobody could be shown what is missing.
        if (const auto missing = assembly_->missingPermission()) {
            return missing;
        }
        if (const auto error = assembly_->startCoordinator()) {
            return error;
        }
        report();
        return std::nullopt;
    }

    // `onLost` runs once with the reason when the X server or the session bus is gone.
    void watchForLoss(std::function<void(const std::string&)> onLost) {
        assembly_->watchForLoss(std::move(onLost));
    }

    // Before the teardown, which a desktop that is gone may leave hanging.
    void saveHistory() { assembly_->coordinator().historyStore().flush(); }

    // How long corrections kept the user's keys waiting, for whoever watches the log.
    void reportFreezes() {
        const auto summary = assembly_->keyboardFreezes();
        if (!summary) {
            return;
        }
        log_ << "plovik: the keyboard was held " << summary->count
             << " times for corrections: median " << milliseconds(summary->median)
             << " ms, 99th percentile " << milliseconds(summary->ninetyNinth) << " ms, longest "
             << milliseconds(summary->longest) << " ms" << std::endl;
    }

  private:
    static std::string milliseconds(std::chrono::microseconds duration) {
        std::ostringstream text;
        text << std::fixed << std::setprecision(1) << duration.count() / 1000.0;
        return text.str();
    }

    void report() {
        auto& coordinator = assembly_->coordinator();
        log_ << "plovik: correcting " << assembly_->sessionDescription() << "; "
             << assembly_->settingsStore().settings().applications.size() << " applications enabled"
             << std::endl;
        subscriptions_.push_back(coordinator.statusMessage().subscribe(
            [this](const std::optional<std::string>& message) {
                if (message) {
                    log_ << "plovik: " << *message << std::endl;
                }
            }));
        subscriptions_.push_back(coordinator.monitoringError().subscribe(
            [this](const std::optional<std::string>& error) {
                if (error) {
                    log_ << "plovik: " << *error << std::endl;
                }
            }));
        // One line for each problem when it begins; it stays in the status until it ends.
        subscriptions_.push_back(coordinator.storageProblems().subscribe(
            [this](const std::vector<std::string>& problems) {
                for (const auto& problem : problems) {
                    if (std::find(toldProblems_.begin(), toldProblems_.end(), problem) ==
                        toldProblems_.end()) {
                        log_ << "plovik: " << problem << std::endl;
                    }
                }
                toldProblems_ = problems;
            }));
        subscriptions_.push_back(
            coordinator.permissionSnapshot().subscribe([this](const PermissionSnapshot& snapshot) {
                log_ << "plovik: accessibility " << (snapshot.accessibilityGranted ? "on" : "off")
                     << ", input monitoring "
                     << (snapshot.inputMonitoringGranted ? "granted" : "not granted") << std::endl;
            }));
        subscriptions_.push_back(coordinator.observeChanges([this] {
            const bool paused = assembly_->coordinator().isPaused();
            if (paused != wasPaused_) {
                wasPaused_ = paused;
                log_ << "plovik: " << (paused ? "paused" : "resumed") << std::endl;
            }
        }));
    }

    std::ostream& log_;
    std::unique_ptr<DesktopAssembly> assembly_;
    std::vector<Subscription> subscriptions_;
    bool wasPaused_ = false;
    std::vector<std::string> toldProblems_;
};

gboolean quit(gpointer loop) {
    g_main_loop_quit(static_cast<GMainLoop*>(loop));
    return G_SOURCE_CONTINUE;
}

// How long stopping may take: asked to stop, the grabs and key bindings are released in
// milliseconds; with the desktop gone there is nothing left to release.
constexpr std::chrono::milliseconds kStopLimit{3000};
constexpr std::chrono::milliseconds kStopLimitAfterLoss{500};

}  // namespace

int HeadlessMode::run(std::ostream& log) {
    auto instance = InstanceLock::acquire(InstanceLock::defaultPath());
    if (const auto* other = std::get_if<InstanceLock::HeldByAnother>(&instance)) {
        log << "plovik: " << InstanceLock::describe(*other) << std::endl;
        return 1;
    }
    if (const auto* unavailable = std::get_if<InstanceLock::Unavailable>(&instance)) {
        log << "plovik: cannot make sure that only one copy runs: " << unavailable->reason
            << std::endl;
    }
    TeardownDeadline deadline(log);
    auto run = std::make_unique<HeadlessRun>(log);
    if (const auto error = run->start()) {
        log << "plovik: " << *error << std::endl;
        return 1;
    }
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    int status = 0;
    run->watchForLoss([&](const std::string& reason) {
        log << "plovik: " << reason << std::endl;
        status = 1;
        g_main_loop_quit(loop);
    });
    const guint interrupt = g_unix_signal_add(SIGINT, quit, loop);
    const guint terminate = g_unix_signal_add(SIGTERM, quit, loop);
    g_main_loop_run(loop);
    g_source_remove(interrupt);
    g_source_remove(terminate);
    deadline.arm(status == 0 ? kStopLimit : kStopLimitAfterLoss, status);
    run->saveHistory();
    run->reportFreezes();
    log << "plovik: stopped" << std::endl;
    run.reset();
    g_main_loop_unref(loop);
    return status;
}

}  // namespace plovik
