#include "app/coordinator/EngineChoice.h"

#include <utility>

#include "core/decision/ConfidenceScorer.h"
#include "core/decision/ExtendedEngine.h"
#include "core/decision/LanguageDataDirectory.h"
#include "core/decision/OfflineLanguageDetector.h"
#include "core/decision/SafetyClassifier.h"
#include "core/layouts/EnglishRussianLayoutMapper.h"

namespace plovik {

namespace {

std::unique_ptr<StandardEngine> makeStandardEngine(HistoryScoring& history,
                                                   SpellChecker& spellChecker,
                                                   MainQueue& mainQueue) {
    auto detector = std::make_unique<OfflineLanguageDetector>(spellChecker, mainQueue);
    return std::make_unique<StandardEngine>(std::make_unique<EnglishRussianLayoutMapper>(),
                                            SafetyClassifier(EngineChoice::kSafetyMinimumLength),
                                            ConfidenceScorer(std::move(detector)), &history);
}

std::unique_ptr<DecisionEngine> makeExtendedEngine(HistoryScoring& history,
                                                   SpellChecker& spellChecker,
                                                   MainQueue& mainQueue) {
    const auto directory = LanguageDataDirectory::locate();
    if (!directory) {
        return nullptr;
    }
    auto models = ExtendedEngine::loadLanguageModels(*directory);
    if (models.empty()) {
        return nullptr;
    }
    return std::make_unique<ExtendedEngine>(makeStandardEngine(history, spellChecker, mainQueue),
                                            std::move(models), &spellChecker);
}

}  // namespace

EngineChoice::EngineChoice(const SettingsStore& settingsStore, HistoryScoring& history,
                           SpellChecker& spellChecker, MainQueue& mainQueue)
    : settingsStore_(settingsStore),
      standard_(makeStandardEngine(history, spellChecker, mainQueue)),
      extended_(makeExtendedEngine(history, spellChecker, mainQueue)) {}

const DecisionEngine& EngineChoice::selected() const {
    if (extended_ && settingsStore_.settings().correctionEngine == CorrectionEngineKind::extended) {
        return *extended_;
    }
    return *standard_;
}

}  // namespace plovik
