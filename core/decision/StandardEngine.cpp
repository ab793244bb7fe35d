#include "core/decision/StandardEngine.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "core/decision/CommonShortWords.h"
#include "core/text/CharacterClass.h"
#include "core/text/Graphemes.h"

namespace plovik {

namespace {

constexpr double kCommonShortWordFloor = 0.98;
// A best decision must lead a different runner-up by this much, or it is too
// close to call.
constexpr double kAmbiguityMargin = 0.04;
// Confidences are sums of rounded weights: a lead of 0.04 may compute as 0.03999999.
// Comparisons allow this much so that the stated figures hold exactly.
constexpr double kConfidenceTolerance = 1e-9;

bool reaches(double confidence, double threshold) {
    return confidence >= threshold - kConfidenceTolerance;
}

const char* const kCommonShortWordReason = "Converted text is a common short word.";

std::string percent(double confidence) {
    return std::to_string(static_cast<long long>(std::trunc(confidence * 100.0)));
}

std::string candidateReason(const KeyboardLayout& target, double confidence) {
    return "Converted text is more plausible in " + target.displayName + " (" +
           percent(confidence) + "%).";
}

bool isExcludedOtherThanTooShort(const SafetyAssessment& assessment) {
    return !assessment.isAllowed && assessment.exclusion != SafetyExclusion::tooShort;
}

bool isTooShort(const SafetyAssessment& assessment) {
    return !assessment.isAllowed && assessment.exclusion == SafetyExclusion::tooShort;
}

}  // namespace

StandardEngine::StandardEngine(std::unique_ptr<LayoutMapping> mapper,
                               SafetyClassifier safetyClassifier, ConfidenceScorer scorer,
                               HistoryScoring* history)
    : mapper_(std::move(mapper)),
      safetyClassifier_(std::move(safetyClassifier)),
      scorer_(std::move(scorer)),
      history_(history),
      displayNameOrder_(text::LocalizedComparison::userLocaleName()) {
    if (!mapper_) {
        throw std::invalid_argument("StandardEngine needs a layout mapper");
    }
}

std::optional<CorrectionVerdict> StandardEngine::automaticDecision(
    std::string_view token, std::string_view context, std::string_view applicationBundleIdentifier,
    const KeyboardLayout& sourceLayout, const std::vector<LayoutConversionCandidate>& candidates,
    double threshold, const std::optional<PreviousWord>& /*previousWord*/) const {
    const SafetyAssessment assessment = safetyClassifier_.assess(token, context);
    if (isExcludedAsPartOfLongerRun(token, context)) {
        return std::nullopt;
    }
    // A common word of the layout in use is never converted.
    if (CommonShortWords::contains(token, sourceLayout.languages)) {
        return std::nullopt;
    }
    if (isExcludedOtherThanTooShort(assessment)) {
        return std::nullopt;
    }
    const bool tooShort = isTooShort(assessment);
    std::vector<CorrectionVerdict> kept;
    for (auto& decision : ranked(token, applicationBundleIdentifier, sourceLayout, candidates)) {
        const bool common =
            CommonShortWords::contains(decision.corrected, decision.targetLayout.languages);
        if (tooShort && !common) {
            continue;
        }
        if (common) {
            decision.confidence = std::max(kCommonShortWordFloor, decision.confidence);
            decision.reason = kCommonShortWordReason;
        }
        kept.push_back(std::move(decision));
    }
    sortByConfidence(kept);
    if (kept.empty() || !reaches(kept[0].confidence, threshold)) {
        return std::nullopt;
    }
    if (kept.size() > 1 && kept[1].corrected != kept[0].corrected &&
        !reaches(kept[0].confidence - kept[1].confidence, kAmbiguityMargin)) {
        return std::nullopt;
    }
    return kept[0];
}

std::optional<CorrectionVerdict> StandardEngine::manualDecision(
    std::string_view token, std::string_view applicationBundleIdentifier,
    const KeyboardLayout& sourceLayout,
    const std::vector<LayoutConversionCandidate>& candidates) const {
    auto decisions = ranked(token, applicationBundleIdentifier, sourceLayout, candidates);
    if (decisions.empty()) {
        return std::nullopt;
    }
    return std::move(decisions.front());
}

std::string StandardEngine::convertedDelimiter(std::string_view delimiter,
                                               const CorrectionVerdict& decision) const {
    if (decision.correctedDelimiter) {
        return *decision.correctedDelimiter;
    }
    return mapper_->convert(delimiter, decision.sourceLayout, decision.targetLayout);
}

double StandardEngine::historyAdjustment(std::string_view original, std::string_view corrected,
                                         std::string_view applicationBundleIdentifier) const {
    if (history_ == nullptr) {
        return 0.0;
    }
    return history_->confidenceAdjustment(original, corrected, applicationBundleIdentifier);
}

std::vector<CorrectionVerdict> StandardEngine::ranked(
    std::string_view token, std::string_view applicationBundleIdentifier,
    const KeyboardLayout& sourceLayout,
    const std::vector<LayoutConversionCandidate>& candidates) const {
    std::vector<CorrectionVerdict> decisions;
    for (const auto& candidate : candidates) {
        if (candidate.token.empty() || candidate.token == token) {
            continue;
        }
        const double h = historyAdjustment(token, candidate.token, applicationBundleIdentifier);
        // The token was typed in the source layout, so it counts as the current
        // one.
        const double confidence =
            scorer_.score(token, candidate.token, sourceLayout, candidate.layout, sourceLayout, h)
                .confidence;
        CorrectionVerdict decision{std::string(token),
                                   candidate.token,
                                   sourceLayout,
                                   candidate.layout,
                                   candidate.delimiter,
                                   confidence,
                                   candidateReason(candidate.layout, confidence)};
        // Two layouts that read the keys alike are one choice, not a tie.
        const auto same = std::find_if(decisions.begin(), decisions.end(), [&](const auto& d) {
            return d.corrected == decision.corrected &&
                   d.correctedDelimiter == decision.correctedDelimiter;
        });
        if (same == decisions.end()) {
            decisions.push_back(std::move(decision));
        } else if (decision.confidence > same->confidence) {
            *same = std::move(decision);
        }
    }
    sortByConfidence(decisions);
    return decisions;
}

void StandardEngine::sortByConfidence(std::vector<CorrectionVerdict>& decisions) const {
    std::stable_sort(decisions.begin(), decisions.end(), [this](const auto& a, const auto& b) {
        if (a.confidence != b.confidence) {
            return a.confidence > b.confidence;
        }
        return displayNameOrder_.compare(a.targetLayout.displayName, b.targetLayout.displayName) <
               0;
    });
}

// Words end at punctuation, so an address or a path reaches the engine piece by
// piece; the whole run since the last whitespace must be safe too.
bool StandardEngine::isExcludedAsPartOfLongerRun(std::string_view token,
                                                 std::string_view context) const {
    if (context.empty()) {
        return false;
    }
    const auto characters = text::Graphemes::split(context);
    if (text::CharacterClass::isWhitespace(characters.back())) {
        return false;
    }
    auto runStart = characters.size();
    while (runStart > 0 && !text::CharacterClass::isWhitespace(characters[runStart - 1])) {
        --runStart;
    }
    std::string before;
    std::string run;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        (i < runStart ? before : run) += characters[i];
    }
    run += token;
    return isExcludedOtherThanTooShort(safetyClassifier_.assess(run, before));
}

}  // namespace plovik
