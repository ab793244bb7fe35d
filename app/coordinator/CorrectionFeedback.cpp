#include "app/coordinator/CorrectionFeedback.h"

#include <cmath>

#include "core/platform/UserNotification.h"
#include "core/support/Uuid.h"

namespace plovik {

std::shared_ptr<CorrectionFeedback> CorrectionFeedback::create(SettingsStore& settingsStore,
                                                               SystemServices& systemServices,
                                                               MainQueue& mainQueue,
                                                               CoordinatorState& state) {
    std::shared_ptr<CorrectionFeedback> feedback(
        new CorrectionFeedback(settingsStore, systemServices, mainQueue, state));
    feedback->mirrorUpdater();
    return feedback;
}

CorrectionFeedback::CorrectionFeedback(SettingsStore& settingsStore, SystemServices& systemServices,
                                       MainQueue& mainQueue, CoordinatorState& state)
    : settingsStore_(settingsStore),
      systemServices_(systemServices),
      mainQueue_(mainQueue),
      state_(state),
      updaterController_(systemServices.createUpdaterController(true)) {}

void CorrectionFeedback::mirrorUpdater() {
    subscriptions_.push_back(updaterController_->canCheckForUpdates().subscribe(
        [this](const bool& value) { state_.canCheckForUpdates = value; }));
}

void CorrectionFeedback::announce(const CorrectionVerdict& decision) {
    playCorrectionSound();
    if (settingsStore_.settings().showCorrectionNotification) {
        systemServices_.postNotification({Uuid::random().uppercaseString(), kNotificationTitle,
                                          decision.original + " → " + decision.corrected});
    }
    state_.statusMessage = correctionSummary(decision);
}

void CorrectionFeedback::playCorrectionSound() {
    const AppSettings& settings = settingsStore_.settings();
    if (settings.playCorrectionSound) {
        // A missing sound is not worth a word to the user.
        (void)systemServices_.playSound(soundName(settings.correctionSound));
    }
}

void CorrectionFeedback::setLaunchAtLogin(bool launchAtLogin) {
    const auto error =
        launchAtLogin ? systemServices_.registerLoginItem() : systemServices_.unregisterLoginItem();
    if (error) {
        state_.statusMessage = kLaunchAtLoginFailedPrefix + *error;
        return;
    }
    settingsStore_.update(
        [launchAtLogin](AppSettings& settings) { settings.launchAtLogin = launchAtLogin; });
    state_.statusMessage = std::nullopt;
}

void CorrectionFeedback::requestNotificationAuthorization() {
    std::weak_ptr<CorrectionFeedback> weak = weak_from_this();
    MainQueue& mainQueue = mainQueue_;
    systemServices_.requestNotificationAuthorization(
        [weak, &mainQueue](bool granted, const std::optional<std::string>& error) {
            mainQueue.post([weak, granted, error] {
                if (auto self = weak.lock()) {
                    self->handleNotificationAuthorization(granted, error);
                }
            });
        });
}

void CorrectionFeedback::handleNotificationAuthorization(bool granted,
                                                         const std::optional<std::string>& error) {
    if (granted) {
        return;
    }
    settingsStore_.update(
        [](AppSettings& settings) { settings.showCorrectionNotification = false; });
    state_.statusMessage = error.value_or(kNotificationRefusedMessage);
}

std::string CorrectionFeedback::correctionSummary(const CorrectionVerdict& decision) {
    const double confidence = std::isfinite(decision.confidence) ? decision.confidence : 0.0;
    const auto percent = static_cast<long long>(std::trunc(confidence * 100.0));
    return decision.original + " → " + decision.corrected + " (" + std::to_string(percent) + "%)";
}

std::string CorrectionFeedback::soundName(const std::optional<CorrectionSound>& sound) {
    return std::string(rawValue(sound.value_or(CorrectionSound::pop)));
}

}  // namespace plovik
