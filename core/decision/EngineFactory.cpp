#include "core/decision/EngineFactory.h"

#include <utility>

#include "core/decision/ConfidenceScorer.h"
#include "core/decision/LanguageDataDirectory.h"
#include "core/decision/OfflineLanguageDetector.h"
#include "core/decision/SafetyClassifier.h"
#include "core/layouts/EnglishRussianLayoutMapper.h"

namespace plovik {

EngineFactory::EngineFactory(SpellChecker& spellChecker, MainQueue& mainQueue,
                             HistoryScoring* history)
    : spellChecker_(spellChecker), mainQueue_(mainQueue), history_(history) {}

std::unique_ptr<StandardEngine> EngineFactory::standard() const {
    return standard(std::make_unique<OfflineLanguageDetector>(spellChecker_, mainQueue_), history_);
}

std::unique_ptr<ExtendedEngine> EngineFactory::extended(ExtendedEngine::LanguageModels languages,
                                                        std::size_t rememberedWords) const {
    return extended(standard(), std::move(languages), &spellChecker_, rememberedWords);
}

std::unique_ptr<StandardEngine> EngineFactory::standard(std::unique_ptr<LanguageDetecting> detector,
                                                        HistoryScoring* history) {
    return std::make_unique<StandardEngine>(std::make_unique<EnglishRussianLayoutMapper>(),
                                            SafetyClassifier(kSafetyMinimumLength),
                                            ConfidenceScorer(std::move(detector)), history);
}

std::unique_ptr<ExtendedEngine> EngineFactory::extended(std::unique_ptr<StandardEngine> standard,
                                                        ExtendedEngine::LanguageModels languages,
                                                        SpellChecker* spellChecker,
                                                        std::size_t rememberedWords) {
    return std::make_unique<ExtendedEngine>(std::move(standard), std::move(languages), spellChecker,
                                            rememberedWords);
}

std::variant<ExtendedEngine::LanguageModels, std::string> EngineFactory::installedLanguages() {
    const auto directory = LanguageDataDirectory::locate();
    if (!directory) {
        std::string places;
        for (const auto& place : LanguageDataDirectory::candidates()) {
            places += (places.empty() ? "" : ", ") + place.string();
        }
        return "the extended engine's language files are missing (looked in " + places + ")";
    }
    return ExtendedEngine::loadLanguageModels(*directory);
}

}  // namespace plovik
