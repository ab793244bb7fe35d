#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/decision/CorrectionVerdict.h"
#include "core/decision/DecisionEngine.h"
#include "core/layouts/EnglishRussianLayoutMapper.h"
#include "core/layouts/InputSourceService.h"
#include "core/tokens/TokenCompletion.h"

namespace plovik {

// Reads a finished word for the engine, and asks it: its keys re-read through the other
// enabled layouts when they are known, otherwise the built-in English–Russian mapper's
// reading as the one candidate. Also remembers the layout a word was corrected into while
// the word goes on, so that its later keys are read in that layout. Main thread only.
class WordReader {
  public:
    explicit WordReader(const InputSourceService& inputSources);

    // Remembers the layout the word was typed in, so that the next word knows whether the
    // user switched layouts between the two.
    std::optional<CorrectionVerdict> automaticDecision(const DecisionEngine& engine,
                                                       const TokenCompletion& completion,
                                                       std::string_view application,
                                                       double threshold);
    // The user asked for it: no safety rules, threshold or continued word.
    std::optional<CorrectionVerdict> manualDecision(const DecisionEngine& engine,
                                                    const TokenCompletion& completion,
                                                    std::string_view application) const;

    // `wordGoesOn`: the corrected delimiter became a letter, so the word is not finished.
    void noteApplied(const CorrectionVerdict& decision, bool wordGoesOn);

  private:
    struct Readings {
        KeyboardLayout source;
        std::vector<LayoutConversionCandidate> candidates;
    };

    // Absent when the keys are unknown and the mapper cannot tell the word's layout.
    std::optional<Readings> readings(const TokenCompletion& completion,
                                     const std::optional<KeyboardLayout>& current) const;
    std::optional<Readings> mapperReading(const TokenCompletion& completion) const;

    // A word judged and left as typed, with the layout it was typed in.
    struct JudgedWord {
        std::string text;
        KeyboardLayout layout;
        std::string application;
    };
    std::optional<PreviousWord> previousWord(const TokenCompletion& completion,
                                             std::string_view application) const;

    const InputSourceService& inputSources_;
    EnglishRussianLayoutMapper mapper_;
    std::optional<KeyboardLayout> continuedInto_;
    std::optional<JudgedWord> lastJudged_;
};

}  // namespace plovik
