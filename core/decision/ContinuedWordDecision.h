#pragma once

#include <optional>
#include <vector>

#include "core/decision/CorrectionVerdict.h"
#include "core/layouts/KeyboardLayout.h"
#include "core/layouts/LayoutConversionCandidate.h"
#include "core/tokens/TokenCompletion.h"

namespace plovik {

// A corrected word whose delimiter became a letter goes on with keys that still type the
// old layout unless the layout was switched: "j," became "об", and "kfcnm" follows. The
// user meant the corrected layout for the whole word, so all its keys are read in that
// layout ("область"); when they cannot be, what was typed comes back ("j,kfcnm"). A word
// never ends as a mixture of two layouts' letters that nobody typed.
class ContinuedWordDecision {
  public:
    // Absent when the completion continues no corrected word or nothing changes. The
    // candidates are the completion's keys read in each layout other than `current`.
    static std::optional<CorrectionVerdict> decide(
        const TokenCompletion& completion, const KeyboardLayout& current,
        const KeyboardLayout& correctedInto,
        const std::vector<LayoutConversionCandidate>& candidates);
};

}  // namespace plovik
