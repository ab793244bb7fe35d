#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <variant>

#include "core/decision/ExtendedEngine.h"
#include "core/decision/LanguageDetecting.h"
#include "core/decision/StandardEngine.h"
#include "core/decision/WordLikelihood.h"
#include "core/history/HistoryScoring.h"
#include "core/platform/MainQueue.h"
#include "core/platform/SpellChecker.h"

namespace plovik {

// Builds the correction engines as the application runs them, so that the application,
// plovik-correct, the benchmarks and the tests decide with the same rules and limits.
class EngineFactory {
  public:
    // Words shorter than this stay as typed unless they become a common short word.
    static constexpr int kSafetyMinimumLength = 3;
    // The most corrections the learning history keeps.
    static constexpr int kHistoryRecordCap = 500;

    // `history` is not owned and may be null: then nothing learned adjusts a decision. The
    // spell checker is asked on the main queue's thread.
    EngineFactory(SpellChecker& spellChecker, MainQueue& mainQueue, HistoryScoring* history);

    // Its detector asks the spell checker.
    std::unique_ptr<StandardEngine> standard() const;
    // Reads the word through `languages` over standard().
    std::unique_ptr<ExtendedEngine> extended(
        ExtendedEngine::LanguageModels languages,
        std::size_t rememberedWords = WordLikelihood::kDefaultRememberedWords) const;

    // With another detector: answers set per word, for tests.
    static std::unique_ptr<StandardEngine> standard(std::unique_ptr<LanguageDetecting> detector,
                                                    HistoryScoring* history);
    // `spellChecker` may be null.
    static std::unique_ptr<ExtendedEngine> extended(
        std::unique_ptr<StandardEngine> standard, ExtendedEngine::LanguageModels languages,
        SpellChecker* spellChecker,
        std::size_t rememberedWords = WordLikelihood::kDefaultRememberedWords);

    // The installed language files' models (possibly none), or a readable message naming
    // the places looked at when no folder of them exists.
    static std::variant<ExtendedEngine::LanguageModels, std::string> installedLanguages();

  private:
    SpellChecker& spellChecker_;
    MainQueue& mainQueue_;
    HistoryScoring* history_;
};

}  // namespace plovik
