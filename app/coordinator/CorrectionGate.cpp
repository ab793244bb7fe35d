#include "app/coordinator/CorrectionGate.h"

namespace plovik {

CorrectionGate::CorrectionGate(const SettingsStore& settingsStore, const Clock& clock,
                               const ActiveApplicationMonitor& activeApplication,
                               FocusedElementService& focusedElements)
    : settingsStore_(settingsStore),
      clock_(clock),
      activeApplication_(activeApplication),
      focusedElements_(focusedElements) {}

ApplicationPolicy CorrectionGate::policy() const {
    return ApplicationPolicy(settingsStore_.settings(), clock_);
}

const std::optional<std::string>& CorrectionGate::frontmostApplication() const {
    return activeApplication_.currentBundleIdentifier();
}

bool CorrectionGate::isPaused() const {
    const auto& pauseUntil = settingsStore_.settings().pauseUntil;
    return pauseUntil && *pauseUntil > clock_.now();
}

bool CorrectionGate::isMonitoring() const {
    return settingsStore_.settings().monitoringEnabled && !isPaused();
}

std::optional<FocusedElementContext> CorrectionGate::usableField() {
    auto context = focusedElements_.focusedElement();
    if (!context || !context->canProcessText()) {
        return std::nullopt;
    }
    return context;
}

bool CorrectionGate::acceptsAutomaticCorrection(const std::optional<std::string>& application) {
    return application && isMonitoring() && policy().allowsAutomaticCorrection(application) &&
           usableField();
}

}  // namespace plovik
