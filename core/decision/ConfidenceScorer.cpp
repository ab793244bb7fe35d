#include "core/decision/ConfidenceScorer.h"

#include <cmath>
#include <stdexcept>

#include "core/text/Graphemes.h"

namespace plovik {

namespace {

constexpr double kBaseConfidence = 0.5;
constexpr double kPlausibilityWeight = 0.52;
constexpr double kConvertedIsWordBonus = 0.08;
constexpr double kOriginalIsWordPenalty = 0.12;
constexpr double kCurrentLayoutBonus = 0.03;
constexpr double kThreeCharacterPenalty = 0.01;
// A conversion that reads no better than the original never passes a threshold
// above this.
constexpr double kNoGainCap = 0.49;

}  // namespace

ConfidenceScorer::ConfidenceScorer(std::unique_ptr<LanguageDetecting> detector)
    : detector_(std::move(detector)) {
    if (!detector_) {
        throw std::invalid_argument("ConfidenceScorer needs a language detector");
    }
}

ConfidenceBreakdown ConfidenceScorer::score(std::string_view original, std::string_view converted,
                                            const KeyboardLayout& sourceLayout,
                                            const KeyboardLayout& targetLayout,
                                            const std::optional<KeyboardLayout>& currentLayout,
                                            double historyAdjustment) const {
    const LanguagePlausibility o = detector_->plausibility(original, sourceLayout);
    const LanguagePlausibility c = detector_->plausibility(converted, targetLayout);

    double x = (c.score - o.score) * kPlausibilityWeight + kBaseConfidence;
    if (c.isDictionaryMatch) {
        x += kConvertedIsWordBonus;
    }
    if (o.isDictionaryMatch) {
        x -= kOriginalIsWordPenalty;
    }
    if (currentLayout == sourceLayout) {
        x += kCurrentLayoutBonus;
    }
    x += historyAdjustment;
    // Three-letter tokens are often abbreviations; a small penalty keeps them
    // near the line.
    if (text::Graphemes::count(original) == 3) {
        x -= kThreeCharacterPenalty;
    }
    if (x > kNoGainCap && c.score <= o.score) {
        x = kNoGainCap;
    }
    if (!(x >= 0.0)) {
        x = 0.0;
    } else if (x > 1.0) {
        x = 1.0;
    }
    return {x, o.score, c.score, historyAdjustment};
}

}  // namespace plovik
