#pragma once

#include <optional>
#include <string>

#include "core/layouts/KeyboardLayout.h"

namespace plovik {

// An engine's verdict that a word should change: what to replace, with what, between which
// layouts, how sure and why. No verdict means the word stays as typed.
struct CorrectionVerdict {
    std::string original;
    std::string corrected;
    KeyboardLayout sourceLayout;
    KeyboardLayout targetLayout;
    // The delimiter as typed in the target layout, when a candidate supplied it.
    std::optional<std::string> correctedDelimiter;
    double confidence = 0.0;  // 0.0 to 1.0
    std::string reason;

    bool operator==(const CorrectionVerdict&) const = default;
};

}  // namespace plovik
