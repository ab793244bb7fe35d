#include "core/decision/CorrectionDecider.h"

#include "core/decision/ContinuedWordDecision.h"

namespace plovik {

namespace {

// The mapper knows only US and Russian: a Russian word means English was meant.
KeyboardLayout mapperTarget(const KeyboardLayout& source) {
    return source.baseLanguage() == "ru" ? KeyboardLayout::english() : KeyboardLayout::russian();
}

}  // namespace

CorrectionDecider::CorrectionDecider(const InputSourceService& inputSources)
    : inputSources_(inputSources) {}

std::optional<CorrectionDecision> CorrectionDecider::automaticDecision(
    const CorrectionDeciding& engine, const TokenCompletion& completion,
    std::string_view application, double threshold) const {
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
    return engine.automaticDecision(completion.token, completion.contextBeforeToken, application,
                                    read->source, read->candidates, threshold);
}

std::optional<CorrectionDecision> CorrectionDecider::manualDecision(
    const CorrectionDeciding& engine, const TokenCompletion& completion,
    std::string_view application) const {
    const auto read = readings(completion, inputSources_.currentLayout());
    if (!read) {
        return std::nullopt;
    }
    return engine.manualDecision(completion.token, application, read->source, read->candidates);
}

void CorrectionDecider::noteApplied(const CorrectionDecision& decision, bool wordGoesOn) {
    if (wordGoesOn) {
        continuedInto_ = decision.targetLayout;
    }
}

std::optional<CorrectionDecider::Readings> CorrectionDecider::readings(
    const TokenCompletion& completion, const std::optional<KeyboardLayout>& current) const {
    if (current && !completion.physicalStrokes.empty()) {
        return Readings{*current, inputSources_.conversionCandidates(completion, *current)};
    }
    return mapperReading(completion);
}

std::optional<CorrectionDecider::Readings> CorrectionDecider::mapperReading(
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
