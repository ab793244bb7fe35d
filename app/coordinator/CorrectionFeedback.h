#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/coordinator/CoordinatorState.h"
#include "core/decision/CorrectionVerdict.h"
#include "core/platform/MainQueue.h"
#include "core/platform/SystemServices.h"
#include "core/platform/UpdaterController.h"
#include "core/settings/SettingsStore.h"

namespace plovik {

// What the user hears and reads about Plovik's work: the correction sound, notifications
// and summaries, the login item and the updater's state. Lives in a std::shared_ptr: the
// answer to a notification request holds it weakly.
class CorrectionFeedback : public std::enable_shared_from_this<CorrectionFeedback> {
  public:
    static constexpr const char* kNotificationTitle = "Plovik corrected a word";
    static constexpr const char* kLaunchAtLoginFailedPrefix =
        "Launch at login could not be changed: ";
    static constexpr const char* kNotificationRefusedMessage =
        "Notification permission was not granted.";

    // Mirrors the updater's state into `state`.
    static std::shared_ptr<CorrectionFeedback> create(SettingsStore& settingsStore,
                                                      SystemServices& systemServices,
                                                      MainQueue& mainQueue,
                                                      CoordinatorState& state);
    CorrectionFeedback(const CorrectionFeedback&) = delete;
    CorrectionFeedback& operator=(const CorrectionFeedback&) = delete;

    UpdaterController& updaterController() { return *updaterController_; }

    // The sound, the notification when chosen, and the summary in the status line.
    void announce(const CorrectionVerdict& decision);
    void playCorrectionSound();
    void setLaunchAtLogin(bool launchAtLogin);
    // Asks the user; a refusal turns the notifications off and says so.
    void requestNotificationAuthorization();

    // "original → corrected (87%)": the percentage is truncated toward zero.
    static std::string correctionSummary(const CorrectionVerdict& decision);
    // The system sound played for a correction sound; "Pop" when none is chosen.
    static std::string soundName(const std::optional<CorrectionSound>& sound);

  private:
    CorrectionFeedback(SettingsStore& settingsStore, SystemServices& systemServices,
                       MainQueue& mainQueue, CoordinatorState& state);

    void mirrorUpdater();
    void handleNotificationAuthorization(bool granted, const std::optional<std::string>& error);

    SettingsStore& settingsStore_;
    SystemServices& systemServices_;
    MainQueue& mainQueue_;
    CoordinatorState& state_;
    std::unique_ptr<UpdaterController> updaterController_;
    std::vector<Subscription> subscriptions_;
};

}  // namespace plovik
