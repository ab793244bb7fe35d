#include "app/coordinator/CorrectionEngines.h"

#include <utility>

#include "core/decision/ConfidenceScorer.h"
#include "core/decision/ExtendedCorrectionEngine.h"
#include "core/decision/LanguageDataDirectory.h"
#include "core/decision/OfflineLanguageDetector.h"
#include "core/decision/SafetyClassifier.h"
#include "core/layouts/EnglishRussianLayoutMapper.h"

namespace plovik {

namespace {

std::unique_ptr<CorrectionEngine> makeDescribedEngine(HistoryScoring& history,
                                                      SpellChecker& spellChecker,
                                                      MainQueue& mainQueue) {
    auto detector = std::make_unique<OfflineLanguageDetector>(spellChecker, mainQueue);
    return std::make_unique<CorrectionEngine>(
        std::make_unique<EnglishRussianLayoutMapper>(),
        SafetyClassifier(CorrectionEngines::kSafetyMinimumLength),
        ConfidenceScorer(std::move(detector)), &history);
}

std::unique_ptr<CorrectionDeciding> makeExtendedEngine(HistoryScoring& history,
                                                       SpellChecker& spellChecker,
                                                       MainQueue& mainQueue) {
    const auto directory = LanguageDataDirectory::locate();
    if (!directory) {
        return nullptr;
    }
    auto models = ExtendedCorrectionEngine::loadLanguageModels(*directory);
    if (models.empty()) {
        return nullptr;
    }
    return std::make_unique<ExtendedCorrectionEngine>(
        makeDescribedEngine(history, spellChecker, mainQueue), std::move(models), &spellChecker);
}

}  // namespace

CorrectionEngines::CorrectionEngines(const SettingsStore& settingsStore, HistoryScoring& history,
                                     SpellChecker& spellChecker, MainQueue& mainQueue)
    : settingsStore_(settingsStore),
      described_(makeDescribedEngine(history, spellChecker, mainQueue)),
      extended_(makeExtendedEngine(history, spellChecker, mainQueue)) {}

const CorrectionDeciding& CorrectionEngines::selected() const {
    if (extended_ && settingsStore_.settings().correctionEngine == CorrectionEngineKind::extended) {
        return *extended_;
    }
    return *described_;
}

}  // namespace plovik
