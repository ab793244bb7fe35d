#include "core/decision/ContinuedWordDecision.h"

#include <algorithm>

namespace plovik {

std::optional<CorrectionVerdict> ContinuedWordDecision::decide(
    const TokenCompletion& completion, const KeyboardLayout& current,
    const KeyboardLayout& correctedInto, const std::vector<LayoutConversionCandidate>& candidates) {
    // After a switch the keys already type the corrected layout: nothing is mixed.
    if (completion.typedText.empty() || current == correctedInto) {
        return std::nullopt;
    }
    const auto read = std::find_if(candidates.begin(), candidates.end(),
                                   [&](const LayoutConversionCandidate& candidate) {
                                       return candidate.layout == correctedInto;
                                   });
    CorrectionVerdict decision;
    decision.original = completion.token;
    decision.sourceLayout = current;
    decision.confidence = 1.0;
    if (read != candidates.end()) {
        decision.corrected = read->token;
        decision.targetLayout = correctedInto;
        decision.correctedDelimiter = read->delimiter;
        decision.reason = "Continues a word corrected to " + correctedInto.displayName + ".";
    } else {
        decision.corrected = completion.typedText;
        decision.targetLayout = current;
        decision.correctedDelimiter = completion.delimiter;
        decision.reason =
            "Restores a word whose keys cannot be read in " + correctedInto.displayName + ".";
    }
    if (decision.corrected == decision.original &&
        decision.correctedDelimiter == completion.delimiter) {
        return std::nullopt;
    }
    return decision;
}

}  // namespace plovik
