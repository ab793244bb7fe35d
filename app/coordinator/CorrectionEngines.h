#pragma once

#include <memory>

#include "core/decision/CorrectionDeciding.h"
#include "core/decision/CorrectionEngine.h"
#include "core/history/HistoryScoring.h"
#include "core/platform/MainQueue.h"
#include "core/platform/SpellChecker.h"
#include "core/settings/SettingsStore.h"

namespace plovik {

// The decision engines, both built at start-up so that choosing one never stalls a key
// press, and the one the settings choose.
class CorrectionEngines {
  public:
    static constexpr int kSafetyMinimumLength = 3;

    CorrectionEngines(const SettingsStore& settingsStore, HistoryScoring& history,
                      SpellChecker& spellChecker, MainQueue& mainQueue);

    // The described engine when the extended engine's language files are missing.
    const CorrectionDeciding& selected() const;

  private:
    const SettingsStore& settingsStore_;
    std::unique_ptr<CorrectionEngine> described_;
    // Absent without language data.
    std::unique_ptr<CorrectionDeciding> extended_;
};

}  // namespace plovik
