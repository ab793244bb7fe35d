#include "core/decision/WordReader.h"

#include "core/decision/ContinuedWordDecision.h"

namespace plovik {

namespace {

// The mapper knows only US and Russian: a Russian word means English was meant.
KeyboardLayout mapperTarget(const KeyboardLayout& source) {
    return source.baseLanguage() == "ru" ? KeyboardLayout::english() : KeyboardLayout::russian();
}

}  // namespace

WordReader::WordReader(const InputSourceService& inputSources) : inputSources_(inputSources) {}

std::optional<CorrectionVerdict> WordReader::automaticDecision(const DecisionEngine& engine,
                                                               const TokenCompletion& completion,
                                                               std::string_view application,
                                                               double threshold) {
    const auto previous = previousWord(completion, application);
    lastJudged_.reset();
    const auto current = inputSources_.currentLayout();
    if (current && !completion.typedText.empty() && continuedInto_) {
        return ContinuedWordDecision::decide(
            completion, *current, *continuedInto_,
            inputSources_.conversionCandidates(completion, *current));
    }
    const auto read = readings(completion, current);
    if (!read) {
        return std::nullopt;
    }
    // Only keys read in the layout that was selected tell which layout the user typed in.
    if (current && !completion.physicalStrokes.empty()) {
        lastJudged_ =
            JudgedWord{completion.token + completion.delimiter, *current, std::string(application)};
    }
    return engine.automaticDecision(completion.token, completion.contextBeforeToken, application,
                                    read->source, read->candidates, threshold, previous);
}

std::optional<PreviousWord> WordReader::previousWord(const TokenCompletion& completion,
                                                     std::string_view application) const {
    if (!lastJudged_ || lastJudged_->application != application) {
        return std::nullopt;
    }
    // The word must still stand right before this one, or nothing be known since: a change
    // of layout itself empties the buffer, while other words typed in between say more.
    const auto trimmed = [](std::string_view text) {
        const auto end = text.find_last_not_of(" \t\n");
        return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
    };
    const std::string_view context = trimmed(completion.contextBeforeToken);
    const std::string_view word = trimmed(lastJudged_->text);
    if (!context.empty() && (word.empty() || !context.ends_with(word))) {
        return std::nullopt;
    }
    return PreviousWord(lastJudged_->layout, lastJudged_->text);
}

std::optional<CorrectionVerdict> WordReader::manualDecision(const DecisionEngine& engine,
                                                            const TokenCompletion& completion,
                                                            std::string_view application) const {
    const auto read = readings(completion, inputSources_.currentLayout());
    if (!read) {
        return std::nullopt;
    }
    return engine.manualDecision(completion.token, application, read->source, read->candidates);
}

void WordReader::noteApplied(const CorrectionVerdict& decision, bool wordGoesOn) {
    // The word now stands in the layout Plovik chose, which may have switched it too.
    lastJudged_.reset();
    if (wordGoesOn) {
        continuedInto_ = decision.targetLayout;
    }
}

std::optional<WordReader::Readings> WordReader::readings(
    const TokenCompletion& completion, const std::optional<KeyboardLayout>& current) const {
    if (current && !completion.physicalStrokes.empty()) {
        return Readings{*current, inputSources_.conversionCandidates(completion, *current)};
    }
    return mapperReading(completion);
}

std::optional<WordReader::Readings> WordReader::mapperReading(
    const TokenCompletion& completion) const {
    const auto source = mapper_.likelyLayout(completion.token);
    if (!source) {
        return std::nullopt;
    }
    KeyboardLayout target = mapperTarget(*source);
    LayoutConversionCandidate candidate{target, mapper_.convert(completion.token, *source, target),
                                        mapper_.convert(completion.delimiter, *source, target)};
    return Readings{*source, {std::move(candidate)}};
}

}  // namespace plovik
