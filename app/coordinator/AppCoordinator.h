#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/coordinator/CoordinatorEnvironment.h"
#include "app/coordinator/CoordinatorState.h"
#include "app/coordinator/CorrectionFeedback.h"
#include "app/coordinator/CorrectionFlow.h"
#include "app/coordinator/CorrectionGate.h"
#include "app/coordinator/EngineChoice.h"
#include "app/coordinator/InstalledApplicationService.h"
#include "app/coordinator/PermissionSupervisor.h"
#include "app/coordinator/SelectionConversionFlow.h"
#include "app/coordinator/StorageProblems.h"
#include "app/coordinator/UndoController.h"
#include "core/capture/KeyboardEventMonitor.h"
#include "core/capture/ShortcutConflictDetector.h"
#include "core/history/FileCorrectionHistoryStore.h"
#include "core/layouts/InputSourceService.h"
#include "core/monitors/ActiveApplicationMonitor.h"
#include "core/monitors/PermissionService.h"
#include "core/monitors/PermissionSnapshot.h"
#include "core/replacement/FocusedElementService.h"
#include "core/replacement/LastCorrection.h"
#include "core/replacement/ReentrancyGuard.h"
#include "core/replacement/SelectionConverterService.h"
#include "core/replacement/SyntheticKeyboardService.h"
#include "core/replacement/TextReplacementMethod.h"
#include "core/replacement/TextReplacementService.h"
#include "core/settings/SettingsStore.h"
#include "core/support/Published.h"
#include "core/tokens/CurrentTokenBuffer.h"
#include "core/tokens/TypedPhrase.h"

namespace plovik {

// The application's central object: owns every service, routes the keyboard monitor to
// the correction flow, undo and pause, and publishes what the user interface shows; the
// work itself is done by its collaborators. Main thread only. Lives in a std::shared_ptr:
// every callback and subscription it hands out holds it weakly.
class AppCoordinator : public std::enable_shared_from_this<AppCoordinator> {
  public:
    static constexpr std::chrono::milliseconds kAutomaticCorrectionDelay =
        CorrectionFlow::kAutomaticCorrectionDelay;
    static constexpr std::chrono::seconds kPauseDuration{900};
    static constexpr int kMaximumContextLength = WordCorrector::kContextLength;
    static constexpr const char* kLearningDataClearedMessage =
        "Local correction history and learned exceptions were cleared.";

    // Builds the services, subscribes, refreshes the permissions (starting the keyboard
    // monitor when both are granted) and schedules the permission poll.
    static std::shared_ptr<AppCoordinator> create(SettingsStore& settingsStore,
                                                  const CoordinatorEnvironment& environment);
    ~AppCoordinator();
    AppCoordinator(const AppCoordinator&) = delete;
    AppCoordinator& operator=(const AppCoordinator&) = delete;

    // --- Published state
    Published<PermissionSnapshot>& permissionSnapshot() { return state_.permissionSnapshot; }
    Published<std::optional<LastCorrection>>& lastCorrection() { return state_.lastCorrection; }
    Published<std::optional<std::string>>& statusMessage() { return state_.statusMessage; }
    Published<std::optional<std::string>>& monitoringError() { return state_.monitoringError; }
    // Why the settings or the learning history cannot be read or saved, one line each.
    Published<std::vector<std::string>>& storageProblems() { return state_.storageProblems; }
    Published<std::optional<TextReplacementMethod>>& lastReplacementMethod() {
        return state_.lastReplacementMethod;
    }
    Published<bool>& canCheckForUpdates() { return state_.canCheckForUpdates; }
    // Called whenever derived state (isPaused, isActive) may have changed.
    [[nodiscard]] Subscription observeChanges(std::function<void()> observer);

    bool isPaused() const;
    bool isActive() const;
    // Tells observers that derived state changed; the pause commands of the windows use it.
    void notifyChanged();

    // --- Services
    SettingsStore& settingsStore() { return settingsStore_; }
    FileCorrectionHistoryStore& historyStore() { return *historyStore_; }
    InputSourceService& inputSourceService() { return *inputSourceService_; }
    PermissionService& permissionService() { return *permissionService_; }
    InstalledApplicationService& installedApplicationService() {
        return *installedApplicationService_;
    }
    const ShortcutConflictDetector& shortcutConflictDetector() const {
        return shortcutConflictDetector_;
    }
    UpdaterController& updaterController() { return feedback_->updaterController(); }
    CurrentTokenBuffer& tokenBuffer() { return tokenBuffer_; }
    // Words finished but not yet decided; a simulated session lets time pass until none is.
    int pendingAutomaticCorrectionCount() const { return flow_->pendingAutomaticCorrectionCount(); }

    // --- Lifecycle and user-interface operations
    void refreshPermissions();
    void completeOnboarding(const std::vector<EnabledApplication>& applications);
    void undoLastCorrection();
    bool canUndoLastCorrection() const;
    // The selected text, or the phrase just typed, to the other layout (the menu's command).
    void convertSelection();
    void togglePause();
    void setLaunchAtLogin(bool launchAtLogin);
    // Asks the user; a refusal turns the notifications off and says why.
    void requestNotificationAuthorization();
    void playCorrectionSound();
    void clearLearningData();

  private:
    AppCoordinator(SettingsStore& settingsStore, const CoordinatorEnvironment& environment);

    void subscribe();
    std::shared_ptr<KeyboardEventMonitor> makeKeyboardMonitor();
    // Asked for by `press`; runs once the words finished before it are corrected.
    void convertAfterCorrections(KeyPressNumber press);

    CoordinatorState state_;
    Published<std::uint64_t> changes_{0};

    const CoordinatorEnvironment environment_;
    SettingsStore& settingsStore_;
    std::unique_ptr<InstalledApplicationService> installedApplicationService_;
    ShortcutConflictDetector shortcutConflictDetector_;
    std::unique_ptr<FocusedElementService> focusedElementService_;
    CurrentTokenBuffer tokenBuffer_;
    TypedPhrase phrase_;
    ReentrancyGuard reentrancyGuard_;
    std::unique_ptr<FileCorrectionHistoryStore> historyStore_;
    std::unique_ptr<ActiveApplicationMonitor> activeApplicationMonitor_;
    std::unique_ptr<InputSourceService> inputSourceService_;
    std::unique_ptr<PermissionService> permissionService_;
    std::unique_ptr<SyntheticKeyboardService> syntheticKeyboard_;
    std::unique_ptr<TextReplacementService> replacementService_;
    std::unique_ptr<SelectionConverterService> selectionConverter_;
    EngineChoice engines_;
    CorrectionGate gate_;
    std::shared_ptr<CorrectionFeedback> feedback_;
    UndoController undo_;
    std::shared_ptr<CorrectionFlow> flow_;
    SelectionConversionFlow conversion_;
    std::unique_ptr<PermissionSupervisor> permissions_;
    StorageProblems storageProblems_;
    std::vector<Subscription> cancellables_;
};

}  // namespace plovik
