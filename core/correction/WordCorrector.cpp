#include "core/correction/WordCorrector.h"

#include <utility>

#include "core/support/ReferenceDate.h"

namespace plovik {

WordCorrector::WordCorrector(Collaborators collaborators)
    : services_(collaborators), reader_(collaborators.inputSources) {}

CurrentTokenBuffer::WordBoundary WordCorrector::wordBoundary(const DecisionEngine& engine) {
    return engine.judgesWholeRuns() ? CurrentTokenBuffer::WordBoundary::whitespace
                                    : CurrentTokenBuffer::WordBoundary::whitespaceOrPunctuation;
}

void WordCorrector::followWordsOf(const DecisionEngine& engine) {
    services_.buffer.setWordBoundary(wordBoundary(engine));
}

std::optional<WordCorrector::Correction> WordCorrector::automatic(const DecisionEngine& engine,
                                                                  const TokenCompletion& completion,
                                                                  std::string_view application,
                                                                  double threshold,
                                                                  bool delimiterHeldBack) {
    auto verdict = reader_.automaticDecision(engine, completion, application, threshold);
    if (!verdict) {
        return std::nullopt;
    }
    std::string correctedDelimiter = engine.convertedDelimiter(completion.delimiter, *verdict);
    const bool goesOn = !delimiterHeldBack &&
                        CurrentTokenBuffer::continuesWord(completion.delimiter, correctedDelimiter);
    if (goesOn) {
        services_.buffer.rejoin(completion);
    }
    return Correction{std::move(*verdict), std::move(correctedDelimiter), goesOn};
}

std::optional<WordCorrector::Correction> WordCorrector::manual(const DecisionEngine& engine,
                                                               const TokenCompletion& completion,
                                                               std::string_view application) const {
    auto verdict = reader_.manualDecision(engine, completion, application);
    if (!verdict) {
        return std::nullopt;
    }
    std::string correctedDelimiter = engine.convertedDelimiter(completion.delimiter, *verdict);
    return Correction{std::move(*verdict), std::move(correctedDelimiter), false};
}

WordCorrector::Outcome WordCorrector::apply(const Correction& correction,
                                            const TokenCompletion& completion,
                                            std::string_view application, bool delimiterHeldBack,
                                            bool switchLayout, const Replace& replace) {
    const CorrectionVerdict& verdict = correction.verdict;
    const std::string expectedDelimiter = delimiterHeldBack ? std::string() : completion.delimiter;
    const std::string writtenDelimiter =
        delimiterHeldBack ? std::string() : correction.correctedDelimiter;
    // Keys typed right after the word belong to the new layout: where the desktop can, the
    // switch lands with the edit, before them.
    if (switchLayout) {
        services_.inputSources.switchWithNextEdit(verdict.targetLayout);
    }
    Outcome outcome{replace(TextReplacementRequest(verdict.original, verdict.corrected,
                                                   expectedDelimiter, writtenDelimiter)),
                    std::nullopt, std::nullopt};
    const bool switchedWithEdit =
        switchLayout && services_.inputSources.switchWithNextEdit(std::nullopt);
    // The next word, begun in the old layout, is finished in it and corrected on its own:
    // switching now would leave it in two scripts.
    const bool nextWordBegun = outcome.replacement.keysSteppedOver;
    // A switch that landed with an edit then taken back, or that the next word began
    // before, is undone.
    if (switchedWithEdit && (!outcome.replacement.succeeded || nextWordBegun)) {
        (void)services_.inputSources.switchTo(verdict.sourceLayout);
    }
    if (!outcome.replacement.succeeded) {
        record(verdict, application, CorrectionOutcome::rejected);
        return outcome;
    }
    outcome.record = record(verdict, application, CorrectionOutcome::accepted);
    services_.buffer.noteReplacement(verdict.original, verdict.corrected, completion.delimiter,
                                     correction.correctedDelimiter);
    reader_.noteApplied(verdict, !services_.buffer.currentToken().empty());
    if (switchLayout && !nextWordBegun) {
        outcome.switchError = services_.inputSources.switchTo(verdict.targetLayout);
    }
    return outcome;
}

Uuid WordCorrector::record(const CorrectionVerdict& verdict, std::string_view application,
                           CorrectionOutcome outcome) {
    const Uuid id = Uuid::random();
    services_.history.append({id, verdict.original, verdict.corrected, std::string(application),
                              outcome,
                              ReferenceDate::secondsSinceReferenceDate(services_.clock.now())});
    return id;
}

}  // namespace plovik
