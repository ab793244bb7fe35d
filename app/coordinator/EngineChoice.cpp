#include "app/coordinator/EngineChoice.h"

#include <utility>

#include "core/decision/EngineFactory.h"

namespace plovik {

namespace {

// Absent without language data.
std::unique_ptr<DecisionEngine> makeExtendedEngine(const EngineFactory& factory) {
    auto languages = EngineFactory::installedLanguages();
    auto* models = std::get_if<ExtendedEngine::LanguageModels>(&languages);
    if (!models || models->empty()) {
        return nullptr;
    }
    return factory.extended(std::move(*models));
}

}  // namespace

EngineChoice::EngineChoice(const SettingsStore& settingsStore, HistoryScoring& history,
                           SpellChecker& spellChecker, MainQueue& mainQueue)
    : settingsStore_(settingsStore) {
    const EngineFactory factory(spellChecker, mainQueue, &history);
    standard_ = factory.standard();
    extended_ = makeExtendedEngine(factory);
}

const DecisionEngine& EngineChoice::selected() const {
    if (extended_ && settingsStore_.settings().correctionEngine == CorrectionEngineKind::extended) {
        return *extended_;
    }
    return *standard_;
}

}  // namespace plovik
