#pragma once

#include "core/replacement/TextReplacementRequest.h"
#include "core/replacement/TextReplacementResult.h"

namespace plovik {

// Replaces the text before the caret of the focused field; never throws.
class TextReplacing {
  public:
    virtual ~TextReplacing() = default;
    virtual TextReplacementResult replace(const TextReplacementRequest& request) = 0;
};

}  // namespace plovik
