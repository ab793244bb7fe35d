#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/decision/CorrectionVerdict.h"
#include "core/decision/DecisionEngine.h"
#include "core/decision/WordReader.h"
#include "core/history/CorrectionHistoryStoring.h"
#include "core/history/CorrectionOutcome.h"
#include "core/layouts/InputSourceError.h"
#include "core/layouts/InputSourceService.h"
#include "core/platform/Clock.h"
#include "core/replacement/TextReplacementRequest.h"
#include "core/replacement/TextReplacementResult.h"
#include "core/support/Uuid.h"
#include "core/tokens/CurrentTokenBuffer.h"
#include "core/tokens/TokenCompletion.h"

namespace plovik {

// A finished word from the engine's verdict to its corrected text: the application and
// plovik-correct both correct words through it, so that the tool decides exactly as the
// application. Asks the engine through the word reader, lets a word go on whose delimiter
// would become a letter, records every correction, accepted or refused, in the learning
// history, and tells the token buffer, the word reader and, when asked, the layout selection.
// Where the text is replaced is the caller's. Main thread only.
class WordCorrector {
  public:
    // The text kept before the word being typed.
    static constexpr int kContextLength = 64;

    struct Collaborators {
        CurrentTokenBuffer& buffer;
        InputSourceService& inputSources;
        CorrectionHistoryStoring& history;
        const Clock& clock;
    };

    // A verdict on a finished word, with the delimiter that follows the corrected word.
    struct Correction {
        CorrectionVerdict verdict;
        std::string correctedDelimiter;
        // The corrected delimiter would be a letter: the buffer took the word back, to be
        // judged whole where it really ends.
        bool wordGoesOn = false;
    };

    // What became of an applied correction.
    struct Outcome {
        TextReplacementResult replacement;
        // The accepted correction's history record.
        std::optional<Uuid> record;
        std::optional<InputSourceError> switchError;
    };

    // Replaces the request's expected text before the caret, as the field allows.
    using Replace = std::function<TextReplacementResult(const TextReplacementRequest&)>;

    explicit WordCorrector(Collaborators collaborators);

    // Where the engine's words end.
    static CurrentTokenBuffer::WordBoundary wordBoundary(const DecisionEngine& engine);
    void followWordsOf(const DecisionEngine& engine);

    // `delimiterHeldBack`: the delimiter (a Return held back) has not reached the field, so
    // the word ends there whatever it becomes.
    std::optional<Correction> automatic(const DecisionEngine& engine,
                                        const TokenCompletion& completion,
                                        std::string_view application, double threshold,
                                        bool delimiterHeldBack);
    // The user asked for it: no safety rules, threshold or continued word.
    std::optional<Correction> manual(const DecisionEngine& engine,
                                     const TokenCompletion& completion,
                                     std::string_view application) const;

    // Replaces the word (and its delimiter, unless held back) through `replace` and records
    // the outcome; `switchLayout`: select the verdict's target layout afterwards.
    Outcome apply(const Correction& correction, const TokenCompletion& completion,
                  std::string_view application, bool delimiterHeldBack, bool switchLayout,
                  const Replace& replace);

  private:
    Uuid record(const CorrectionVerdict& verdict, std::string_view application,
                CorrectionOutcome outcome);

    Collaborators services_;
    WordReader reader_;
};

}  // namespace plovik
