#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace plovik {

// Very common one- to three-letter English and Russian words: they are corrected
// even though the safety rules call them too short, and never converted away.
class CommonShortWords {
  public:
    // True when `text`, lower-cased and stripped of surrounding punctuation, is a
    // common short word of the language named first in `languages`.
    static bool contains(std::string_view text, const std::vector<std::string>& languages);
};

}  // namespace plovik
