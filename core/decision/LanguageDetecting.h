#pragma once

#include <string_view>

#include "core/decision/LanguagePlausibility.h"
#include "core/layouts/KeyboardLayout.h"

namespace plovik {

// Judges a reading of a token in the language of a layout.
class LanguageDetecting {
  public:
    virtual ~LanguageDetecting() = default;
    virtual LanguagePlausibility plausibility(std::string_view text,
                                              const KeyboardLayout& layout) const = 0;
};

}  // namespace plovik
