#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/coordinator/CoordinatorEnvironment.h"
#include "app/coordinator/InstalledApplicationService.h"
#include "core/capture/KeyboardEventMonitor.h"
#include "core/capture/PhysicalKeyStroke.h"
#include "core/capture/ShortcutConflictDetector.h"
#include "core/decision/ApplicationPolicy.h"
#include "core/decision/CorrectionDecider.h"
#include "core/decision/CorrectionDecision.h"
#include "core/decision/CorrectionEngine.h"
#include "core/history/FileCorrectionHistoryStore.h"
#include "core/layouts/InputSourceService.h"
#include "core/monitors/ActiveApplicationMonitor.h"
#include "core/monitors/PermissionService.h"
#include "core/monitors/PermissionSnapshot.h"
#include "core/replacement/CorrectionUndoState.h"
#include "core/replacement/FocusedElementContext.h"
#include "core/replacement/FocusedElementService.h"
#include "core/replacement/LastCorrection.h"
#include "core/replacement/ReentrancyGuard.h"
#include "core/replacement/SyntheticKeyboardService.h"
#include "core/replacement/TextReplacementMethod.h"
#include "core/replacement/TextReplacementService.h"
#include "core/settings/SettingsStore.h"
#include "core/support/Published.h"
#include "core/tokens/CurrentTokenBuffer.h"
#include "core/tokens/TokenCompletion.h"

namespace plovik {

// The application's central object: owns every service, routes the keyboard monitor
// to the correction flow, undo and pause, polls the permissions and publishes what
// the user interface shows. Main thread only. Lives in a std::shared_ptr: every
// callback, timer and subscription it hands out holds it weakly.
class AppCoordinator : public std::enable_shared_from_this<AppCoordinator> {
  public:
    static constexpr std::chrono::milliseconds kAutomaticCorrectionDelay{35};
    static constexpr std::chrono::milliseconds kPermissionPollInterval{2000};
    static constexpr std::chrono::seconds kPauseDuration{900};
    static constexpr int kMaximumContextLength = 64;
    static constexpr int kMaximumHistoryRecordCount = 500;
    static constexpr int kSafetyMinimumLength = 3;

    static constexpr const char* kNotificationTitle = "Plovik corrected a word";
    static constexpr const char* kUndoFailedMessage = "The last correction could not be undone.";
    static constexpr const char* kLaunchAtLoginFailedPrefix =
        "Launch at login could not be changed: ";
    static constexpr const char* kNotificationRefusedMessage =
        "Notification permission was not granted.";
    static constexpr const char* kLearningDataClearedMessage =
        "Local correction history and learned exceptions were cleared.";

    // A Return press held back until the corrections before it are done.
    struct DeferredReturn {
        Key key = Key::enter;
        Modifiers modifiers;

        bool operator==(const DeferredReturn&) const = default;
    };

    // Builds the services, subscribes, refreshes the permissions (starting the keyboard
    // monitor when both are granted) and schedules the permission poll.
    static std::shared_ptr<AppCoordinator> create(SettingsStore& settingsStore,
                                                  const CoordinatorEnvironment& environment);
    ~AppCoordinator();
    AppCoordinator(const AppCoordinator&) = delete;
    AppCoordinator& operator=(const AppCoordinator&) = delete;

    // --- Published state
    Published<PermissionSnapshot>& permissionSnapshot() { return permissionSnapshot_; }
    Published<std::optional<LastCorrection>>& lastCorrection() { return lastCorrection_; }
    Published<std::optional<std::string>>& statusMessage() { return statusMessage_; }
    Published<std::optional<std::string>>& monitoringError() { return monitoringError_; }
    Published<std::optional<TextReplacementMethod>>& lastReplacementMethod() {
        return lastReplacementMethod_;
    }
    Published<bool>& canCheckForUpdates() { return canCheckForUpdates_; }
    Published<bool>& automaticallyChecksForUpdates() { return automaticallyChecksForUpdates_; }
    Published<bool>& automaticallyDownloadsUpdates() { return automaticallyDownloadsUpdates_; }
    Published<bool>& allowsAutomaticUpdates() { return allowsAutomaticUpdates_; }
    // Called whenever derived state (isPaused, isActive) may have changed.
    [[nodiscard]] Subscription observeChanges(std::function<void()> observer);

    bool isPaused() const;
    bool isActive() const;
    // Tells observers that derived state changed; the pause commands of the windows use it.
    void notifyChanged();

    // --- Services
    SettingsStore& settingsStore() { return settingsStore_; }
    FileCorrectionHistoryStore& historyStore() { return *historyStore_; }
    ActiveApplicationMonitor& activeApplicationMonitor() { return *activeApplicationMonitor_; }
    InputSourceService& inputSourceService() { return *inputSourceService_; }
    PermissionService& permissionService() { return *permissionService_; }
    InstalledApplicationService& installedApplicationService() {
        return *installedApplicationService_;
    }
    const ShortcutConflictDetector& shortcutConflictDetector() const {
        return shortcutConflictDetector_;
    }
    UpdaterController& updaterController() { return *updaterController_; }
    FocusedElementService& focusedElementService() { return *focusedElementService_; }
    CurrentTokenBuffer& tokenBuffer() { return tokenBuffer_; }
    const CorrectionUndoState& undoState() const { return undoState_; }
    const CorrectionEngine& correctionEngine() const { return *correctionEngine_; }
    // The engine the settings choose for automatic corrections; the described one when the
    // extended engine's language files are missing.
    const CorrectionDeciding& automaticCorrectionEngine() const;
    // Null until the first permission refresh.
    const KeyboardEventMonitor* keyboardMonitor() const { return keyboardMonitor_.get(); }
    int pendingAutomaticCorrectionCount() const { return pendingAutomaticCorrectionCount_; }
    const std::vector<DeferredReturn>& deferredReturnEvents() const {
        return deferredReturnEvents_;
    }

    // --- Lifecycle and user-interface operations
    void refreshPermissions();
    void completeOnboarding(const std::vector<EnabledApplication>& applications);
    void undoLastCorrection();
    bool canUndoLastCorrection() const;
    void togglePause();
    void setLaunchAtLogin(bool launchAtLogin);
    // Asks the user; the answer reaches handleNotificationAuthorization on the main queue.
    void requestNotificationAuthorization();
    void handleNotificationAuthorization(bool granted, const std::optional<std::string>& error);
    void playCorrectionSound();
    void clearLearningData();

    // --- Keyboard monitor handlers
    void handleStroke(const std::string& characters, const PhysicalKeyStroke& stroke);
    void handleDeleteBackward();
    void performManualCorrection();
    bool canPerformManualCorrection();
    void handleDeferredReturn(Key key, Modifiers modifiers);
    bool canDeferReturn();

    // "original → corrected (87%)": the percentage is truncated toward zero.
    static std::string correctionSummary(const CorrectionDecision& decision);
    // The system sound played for a correction sound; "Pop" when none is chosen.
    static std::string soundName(const std::optional<CorrectionSound>& sound);

  private:
    AppCoordinator(SettingsStore& settingsStore, const CoordinatorEnvironment& environment);

    void subscribe();
    void schedulePermissionPoll();
    KeyboardEventMonitor& monitor();
    void installMonitorCallbacks(KeyboardEventMonitor& monitor);

    ApplicationPolicy policy() const;
    const std::optional<std::string>& frontmostApplication() const;
    // The focused field when Plovik may touch its text.
    std::optional<FocusedElementContext> usableField();
    bool acceptsAutomaticCorrection(const std::optional<std::string>& application);

    void scheduleAutomaticCorrection(const TokenCompletion& completion,
                                     const std::string& application);
    void runAutomaticCorrection(const TokenCompletion& completion, const std::string& application);
    void finishAutomaticCorrection();
    void postReturn(const DeferredReturn& press);
    void applyCorrection(const CorrectionDecision& decision, const TokenCompletion& completion,
                         const std::string& application,
                         const std::optional<std::string>& delimiterOverride, bool isUndoable);
    Uuid appendRecord(const CorrectionDecision& decision, const std::string& application,
                      CorrectionOutcome outcome);
    void announceCorrection(const CorrectionDecision& decision);

    // Published state, in the order the user interface reads it.
    Published<PermissionSnapshot> permissionSnapshot_;
    Published<std::optional<LastCorrection>> lastCorrection_;
    Published<std::optional<std::string>> statusMessage_;
    Published<std::optional<std::string>> monitoringError_;
    Published<std::optional<TextReplacementMethod>> lastReplacementMethod_;
    Published<bool> canCheckForUpdates_{false};
    Published<bool> automaticallyChecksForUpdates_{false};
    Published<bool> automaticallyDownloadsUpdates_{false};
    Published<bool> allowsAutomaticUpdates_{false};
    Published<std::uint64_t> changes_{0};

    const CoordinatorEnvironment environment_;
    SettingsStore& settingsStore_;
    std::unique_ptr<InstalledApplicationService> installedApplicationService_;
    ShortcutConflictDetector shortcutConflictDetector_;
    std::unique_ptr<FocusedElementService> focusedElementService_;
    CurrentTokenBuffer tokenBuffer_;
    ReentrancyGuard reentrancyGuard_;
    CorrectionUndoState undoState_;
    std::unique_ptr<UpdaterController> updaterController_;
    std::unique_ptr<FileCorrectionHistoryStore> historyStore_;
    std::unique_ptr<ActiveApplicationMonitor> activeApplicationMonitor_;
    std::unique_ptr<InputSourceService> inputSourceService_;
    std::unique_ptr<CorrectionDecider> decider_;
    std::unique_ptr<PermissionService> permissionService_;
    std::unique_ptr<SyntheticKeyboardService> syntheticKeyboard_;
    std::unique_ptr<TextReplacementService> replacementService_;
    std::unique_ptr<CorrectionEngine> correctionEngine_;
    // Built at start-up, so that choosing it never stalls a key press; absent without data.
    std::unique_ptr<CorrectionDeciding> extendedEngine_;
    std::vector<Subscription> cancellables_;
    std::unique_ptr<RepeatingTimer> permissionTimer_;
    int pendingAutomaticCorrectionCount_ = 0;
    std::vector<DeferredReturn> deferredReturnEvents_;
    std::shared_ptr<KeyboardEventMonitor> keyboardMonitor_;
};

}  // namespace plovik
