#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/decision/ConfidenceScorer.h"
#include "core/decision/CorrectionVerdict.h"
#include "core/decision/DecisionEngine.h"
#include "core/decision/SafetyClassifier.h"
#include "core/history/HistoryScoring.h"
#include "core/layouts/KeyboardLayout.h"
#include "core/layouts/LayoutConversionCandidate.h"
#include "core/layouts/LayoutMapping.h"
#include "core/text/LocalizedComparison.h"

namespace plovik {

// The standard engine ("described" in the settings file and on plovik-correct's command
// line): a word ends at whitespace or punctuation, and each re-reading is scored by the
// language detector, with the history's adjustment. Holds its collaborators only; every operation
// answers from its arguments, the detector and the history. Used from the main thread (the detector
// may ask the spell checker).
class StandardEngine final : public DecisionEngine {
  public:
    // `history` is not owned and may be null: then no learned adjustment applies.
    StandardEngine(std::unique_ptr<LayoutMapping> mapper, SafetyClassifier safetyClassifier,
                   ConfidenceScorer scorer, HistoryScoring* history);

    const LayoutMapping& mapper() const { return *mapper_; }
    const SafetyClassifier& safetyClassifier() const { return safetyClassifier_; }
    const ConfidenceScorer& scorer() const { return scorer_; }
    HistoryScoring* history() const { return history_; }

    bool judgesWholeRuns() const override { return false; }
    SafetyAssessment assessSafety(std::string_view token, std::string_view context) const override {
        return safetyClassifier_.assess(token, context);
    }

    using DecisionEngine::automaticDecision;
    // Picks the best of the candidates (the token re-read through other layouts); how the
    // word before was typed does not count here.
    std::optional<CorrectionVerdict> automaticDecision(
        std::string_view token, std::string_view context,
        std::string_view applicationBundleIdentifier, const KeyboardLayout& sourceLayout,
        const std::vector<LayoutConversionCandidate>& candidates, double threshold,
        const std::optional<PreviousWord>& previousWord) const override;

    std::optional<CorrectionVerdict> manualDecision(
        std::string_view token, std::string_view applicationBundleIdentifier,
        const KeyboardLayout& sourceLayout,
        const std::vector<LayoutConversionCandidate>& candidates) const override;

    // The delimiter to type after the corrected token.
    std::string convertedDelimiter(std::string_view delimiter,
                                   const CorrectionVerdict& decision) const override;

  private:
    double historyAdjustment(std::string_view original, std::string_view corrected,
                             std::string_view applicationBundleIdentifier) const;
    std::vector<CorrectionVerdict> ranked(
        std::string_view token, std::string_view applicationBundleIdentifier,
        const KeyboardLayout& sourceLayout,
        const std::vector<LayoutConversionCandidate>& candidates) const;
    void sortByConfidence(std::vector<CorrectionVerdict>& decisions) const;
    bool isExcludedAsPartOfLongerRun(std::string_view token, std::string_view context) const;

    std::unique_ptr<LayoutMapping> mapper_;
    SafetyClassifier safetyClassifier_;
    ConfidenceScorer scorer_;
    HistoryScoring* history_;
    text::LocalizedComparison displayNameOrder_;
};

}  // namespace plovik
