#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/decision/CorrectionVerdict.h"
#include "core/decision/PreviousWord.h"
#include "core/decision/SafetyAssessment.h"
#include "core/layouts/KeyboardLayout.h"
#include "core/layouts/LayoutConversionCandidate.h"

namespace plovik {

// What every correction engine answers: whether a finished word was typed in the wrong
// layout and what it should become. StandardEngine and ExtendedEngine implement it; the
// settings (and plovik-correct's --engine) choose between them.
class DecisionEngine {
  public:
    virtual ~DecisionEngine() = default;

    // True when a word is the whole run of keys up to whitespace, punctuation keys included
    // (they may be letters in the other layout); false when punctuation ends a word.
    virtual bool judgesWholeRuns() const = 0;

    // Why the word may not be converted automatically, if it may not.
    virtual SafetyAssessment assessSafety(std::string_view token,
                                          std::string_view context) const = 0;

    // Picks the best of the candidates (the word's keys re-read through other layouts).
    // `previousWord`: the word right before, when known. Another layout than the source one
    // means the user switched layouts between the two words.
    virtual std::optional<CorrectionVerdict> automaticDecision(
        std::string_view token, std::string_view context,
        std::string_view applicationBundleIdentifier, const KeyboardLayout& sourceLayout,
        const std::vector<LayoutConversionCandidate>& candidates, double threshold,
        const std::optional<PreviousWord>& previousWord) const = 0;

    // Without knowing how the word before was typed.
    std::optional<CorrectionVerdict> automaticDecision(
        std::string_view token, std::string_view context,
        std::string_view applicationBundleIdentifier, const KeyboardLayout& sourceLayout,
        const std::vector<LayoutConversionCandidate>& candidates, double threshold) const {
        return automaticDecision(token, context, applicationBundleIdentifier, sourceLayout,
                                 candidates, threshold, std::nullopt);
    }

    // The user asked for it: the best candidate, without safety rules or threshold.
    virtual std::optional<CorrectionVerdict> manualDecision(
        std::string_view token, std::string_view applicationBundleIdentifier,
        const KeyboardLayout& sourceLayout,
        const std::vector<LayoutConversionCandidate>& candidates) const = 0;

    // The delimiter to type after the corrected word.
    virtual std::string convertedDelimiter(std::string_view delimiter,
                                           const CorrectionVerdict& decision) const = 0;
};

}  // namespace plovik
