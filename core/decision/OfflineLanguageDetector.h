#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/decision/LanguageDetecting.h"
#include "core/platform/MainQueue.h"
#include "core/platform/SpellChecker.h"

namespace plovik {

// Plausibility from built-in English and Russian words and letter pairs, a vowel ratio, a
// script test for the layout's language and, for words the built-in lists lack, the spell
// checker in the matching language. Callable from any thread: the spell checker is only
// used on the main thread, so a caller elsewhere waits for it there and must never be
// something the main thread itself is waiting for.
class OfflineLanguageDetector final : public LanguageDetecting {
  public:
    using WordSet = std::unordered_set<std::string>;

    OfflineLanguageDetector(SpellChecker& spellChecker, MainQueue& mainQueue);

    LanguagePlausibility plausibility(std::string_view text,
                                      const KeyboardLayout& layout) const override;

  private:
    struct LanguageData;

    LanguageData languageData(const std::optional<std::string>& base) const;
    bool isKnownWord(const std::string& word, const WordSet& words,
                     const KeyboardLayout& layout) const;
    bool spellCheckerAccepts(const std::string& word, const KeyboardLayout& layout) const;
    // The checker's identifier for the first of the layout's languages it can serve.
    std::optional<std::string> spellCheckerLanguage(const KeyboardLayout& layout) const;

    SpellChecker& spellChecker_;
    MainQueue& mainQueue_;
    const WordSet englishWords_;
    const WordSet russianWords_;
    const WordSet englishNGrams_;
    const WordSet russianNGrams_;
    const WordSet englishVowels_;
    const WordSet russianVowels_;
    const WordSet otherVowels_;
    const WordSet noEntries_;
};

}  // namespace plovik
