#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plovik {

// How likely a word is in one language: its share of running text when the word list has
// it, and a letter-trigram estimate for any spelling. Built from "key<TAB>count" lines (a word
// may add "<TAB>capitals", the times it was written in capitals), each file headed by
// "#total<TAB>N". Immutable once built, so it may be shared across threads.
class LanguageModel {
  public:
    // Absent when a file cannot be read or holds no entries.
    static std::optional<LanguageModel> load(const std::filesystem::path& wordsFile,
                                             const std::filesystem::path& lettersFile);
    // Lines that do not parse are skipped.
    static LanguageModel fromText(std::string_view words, std::string_view letters);

    // Natural logarithm of the word's share of running text; absent when the list lacks it.
    // `lowered` must already be lower-cased.
    std::optional<double> wordLogProbability(std::string_view lowered) const;
    // The listed word's place in the list (0 ... wordCount() - 1) and its log-probability.
    struct ListedWord {
        std::size_t index;
        double logProbability;
    };
    std::optional<ListedWord> findWord(std::string_view lowered) const;
    // Whether the listed word is mostly written in capitals: an acronym rather than a word.
    bool isWrittenInCapitals(std::string_view lowered) const;
    // Natural logarithm of the spelling's probability under the letter trigrams, the end of
    // the word included. Letters the language never uses count as very unlikely.
    double spellingLogProbability(std::u32string_view lowered) const;
    // Whether the language writes this letter at all.
    bool usesLetter(char32_t lowered) const;
    // Whether the language writes every pair of neighbouring letters of the spelling, its
    // first and last letter at a word's edge included. A pair seen in a tiny share of the
    // text after its first letter counts as unwritten: stray names and slips leave those.
    bool writesEveryPair(std::u32string_view lowered) const;

    std::size_t wordCount() const { return wordEntries_.size(); }
    std::uint64_t runningWords() const { return runningWords_; }
    // Bytes held, for memory accounting.
    std::size_t footprint() const;

  private:
    struct WordEntry {
        std::uint32_t offset;
        std::uint32_t length;
        float logProbability;
        bool writtenInCapitals;
    };
    using Counts = std::vector<std::pair<std::uint64_t, std::uint32_t>>;

    LanguageModel() = default;
    void addWords(std::string_view text);
    void addLetters(std::string_view text);
    void finish();
    std::uint32_t count(std::uint64_t key) const;
    std::uint32_t contextCount(std::uint64_t key) const;
    double letterProbability(char32_t a, char32_t b, char32_t c) const;
    bool writesPair(char32_t a, char32_t b) const;

    std::string wordText_;
    std::vector<WordEntry> wordEntries_;
    std::uint64_t runningWords_ = 0;
    // Unigram, bigram and trigram counts under one packed key, sorted.
    Counts letterCounts_;
    // How often each letter and letter pair is followed by another.
    Counts contextCounts_;
    std::uint64_t letterTotal_ = 0;
    std::size_t alphabetSize_ = 0;
};

}  // namespace plovik
