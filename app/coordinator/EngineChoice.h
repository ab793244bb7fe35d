#pragma once

#include <memory>

#include "core/decision/DecisionEngine.h"
#include "core/decision/StandardEngine.h"
#include "core/history/HistoryScoring.h"
#include "core/platform/MainQueue.h"
#include "core/platform/SpellChecker.h"
#include "core/settings/SettingsStore.h"

namespace plovik {

// Both correction engines, built at start-up so that choosing one never stalls a key
// press, and the one the settings choose.
class EngineChoice {
  public:
    EngineChoice(const SettingsStore& settingsStore, HistoryScoring& history,
                 SpellChecker& spellChecker, MainQueue& mainQueue);

    // The standard engine when the extended engine's language files are missing.
    const DecisionEngine& selected() const;

  private:
    const SettingsStore& settingsStore_;
    std::unique_ptr<StandardEngine> standard_;
    // Absent without language data.
    std::unique_ptr<DecisionEngine> extended_;
};

}  // namespace plovik
