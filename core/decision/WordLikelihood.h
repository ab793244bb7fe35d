#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/decision/LanguageModel.h"
#include "core/platform/SpellChecker.h"
#include "core/support/BoundedMemo.h"

namespace plovik {

// How likely a spelling is as a word of one language: its share of text when the word list
// has it, a rare word's share when only the spell checker knows it, else the letter model's
// estimate for a word nobody listed. Comparable across languages: each is a probability.
// Remembers the spell checker's answer for each listed word, so use one per thread.
class WordLikelihood {
  public:
    // `spellChecker` may be null, and `spellLanguage` absent: then only the lists count.
    // `language` is the base language ("ru"), for the built-in common short words.
    // `rememberedWords`: how many assessed words to remember (see BoundedMemo).
    WordLikelihood(std::string language, std::shared_ptr<const LanguageModel> model,
                   SpellChecker* spellChecker, std::optional<std::string> spellLanguage,
                   std::size_t rememberedWords = kDefaultRememberedWords);

    // Enough for the words a user types in a while, at a few hundred kilobytes.
    static constexpr std::size_t kDefaultRememberedWords = 1024;

    // What one look-up learns about a word.
    struct Assessment {
        double logProbability = 0.0;
        bool isListed = false;
        bool isDictionaryWord = false;
        bool isKnown() const { return isListed || isDictionaryWord; }
    };

    // `word` is one word as it would appear, letters with inner hyphens or apostrophes. Asks
    // the spell checker at most twice per part (as typed and lower-cased).
    Assessment assess(std::u32string_view word) const;
    double logProbability(std::u32string_view word) const { return assess(word).logProbability; }
    // At least assess(word).logProbability, found without asking the spell checker.
    double upperBoundLogProbability(std::u32string_view word) const;
    // In the word list, or accepted by the spell checker as typed or lower-cased.
    bool isKnown(std::u32string_view word) const;
    // Accepted by the spell checker as typed or lower-cased; false without one.
    bool isDictionaryWord(std::u32string_view word) const { return dictionaryAccepts(word); }
    // Every part between hyphens writes only letter pairs the language writes: whatever it
    // is, a word, a name or a slip of the language could be spelled so.
    bool spellsLikeAWord(std::u32string_view word) const;
    // The lower-cased word's share of text in the word list, if listed.
    std::optional<double> listedLogProbability(std::u32string_view word) const;
    // Listed and mostly written in capitals: an acronym of the language.
    bool isAcronym(std::u32string_view word) const;

    const LanguageModel& model() const { return *model_; }

  private:
    Assessment assessUnremembered(std::u32string_view word) const;
    bool writesEveryPair(std::u32string_view word) const;
    Assessment assessSingle(std::u32string_view word) const;
    bool dictionaryAccepts(std::u32string_view word) const;
    bool dictionaryAccepts(std::u32string_view word, std::u32string_view lower,
                           std::optional<std::size_t> listedIndex) const;
    bool spellCheckerAccepts(std::u32string_view word) const;
    bool hasDictionary() const;
    bool isCommonWord(std::u32string_view lowered) const;
    bool writesAllLetters(std::u32string_view lowered) const;

    std::string language_;
    std::shared_ptr<const LanguageModel> model_;
    SpellChecker* spellChecker_;
    std::optional<std::string> spellLanguage_;
    // The spell checker's answer for each listed word in lower case: the words typed most
    // often cost one look-up per session instead of one per word.
    enum class Verdict : std::uint8_t { unasked, rejected, accepted };
    mutable std::vector<Verdict> listedVerdicts_;
    // Words assessed lately, and whether they spell like words: the same words come back.
    mutable BoundedMemo<std::u32string, Assessment> assessments_;
    mutable BoundedMemo<std::u32string, bool> spellings_;
};

}  // namespace plovik
