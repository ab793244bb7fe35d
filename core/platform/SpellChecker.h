#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace plovik {

// The system spell checker. Callers use it on the main thread only.
class SpellChecker {
  public:
    virtual ~SpellChecker() = default;
    // Language identifiers exactly as the checker names them ("en_US", "ru_RU").
    virtual std::vector<std::string> availableLanguages() = 0;
    // True when the checker finds nothing misspelled in the word; false for a language it
    // does not have and for text it cannot check.
    virtual bool isSpelledCorrectly(std::string_view word, std::string_view language) = 0;
};

}  // namespace plovik
