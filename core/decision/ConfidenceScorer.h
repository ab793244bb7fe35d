#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "core/decision/ConfidenceBreakdown.h"
#include "core/decision/LanguageDetecting.h"
#include "core/layouts/KeyboardLayout.h"

namespace plovik {

// Turns the plausibility of a token as typed and as converted into one
// confidence.
class ConfidenceScorer {
  public:
    explicit ConfidenceScorer(std::unique_ptr<LanguageDetecting> detector);

    LanguageDetecting& detector() const { return *detector_; }

    ConfidenceBreakdown score(std::string_view original, std::string_view converted,
                              const KeyboardLayout& sourceLayout,
                              const KeyboardLayout& targetLayout,
                              const std::optional<KeyboardLayout>& currentLayout,
                              double historyAdjustment) const;

  private:
    std::unique_ptr<LanguageDetecting> detector_;
};

}  // namespace plovik
