#pragma once

#include <optional>
#include <string>

#include "core/decision/ApplicationPolicy.h"
#include "core/monitors/ActiveApplicationMonitor.h"
#include "core/platform/Clock.h"
#include "core/replacement/FocusedElementContext.h"
#include "core/replacement/FocusedElementService.h"
#include "core/settings/SettingsStore.h"

namespace plovik {

// Whether Plovik may touch the text in front of the user now: the application in front,
// its entry in the settings, the pause and the focused field.
class CorrectionGate {
  public:
    CorrectionGate(const SettingsStore& settingsStore, const Clock& clock,
                   const ActiveApplicationMonitor& activeApplication,
                   FocusedElementService& focusedElements);

    ApplicationPolicy policy() const;
    const std::optional<std::string>& frontmostApplication() const;
    bool isPaused() const;
    // Monitoring is switched on and not paused.
    bool isMonitoring() const;
    // The focused field when Plovik may touch its text.
    std::optional<FocusedElementContext> usableField();
    bool acceptsAutomaticCorrection(const std::optional<std::string>& application);

  private:
    const SettingsStore& settingsStore_;
    const Clock& clock_;
    const ActiveApplicationMonitor& activeApplication_;
    FocusedElementService& focusedElements_;
};

}  // namespace plovik
