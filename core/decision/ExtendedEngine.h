#pragma once

#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/decision/DecisionEngine.h"
#include "core/decision/LanguageModel.h"
#include "core/decision/StandardEngine.h"
#include "core/decision/WordLikelihood.h"
#include "core/platform/SpellChecker.h"
#include "core/support/BoundedMemo.h"

namespace plovik {

// Judges the whole run of keys up to whitespace, so that keys which are punctuation in one
// layout and letters in another (б ю ж э х ъ ё) belong to the word. Each reading is scored
// as a probability in its language (word frequencies, the spell checker, letter trigrams);
// the log-odds of the best re-reading over the text as typed, shifted towards the language
// of the previous word, becomes the confidence through a logistic curve. Layouts whose
// language has no model are left to the standard engine.
class ExtendedEngine final : public DecisionEngine {
  public:
    // Keyed by base language ("en", "ru", "uk").
    using LanguageModels = std::map<std::string, std::shared_ptr<const LanguageModel>>;

    // Reads LANG.words and LANG.chars for every language that has both in `directory`.
    static LanguageModels loadLanguageModels(const std::filesystem::path& directory);

    // `spellChecker` may be null; it is used on the calling thread. `rememberedWords`: how
    // many scored words to remember; long runs over text want many (see BoundedMemo).
    ExtendedEngine(std::unique_ptr<StandardEngine> standard, LanguageModels models,
                   SpellChecker* spellChecker,
                   std::size_t rememberedWords = WordLikelihood::kDefaultRememberedWords);

    bool judgesWholeRuns() const override { return true; }
    SafetyAssessment assessSafety(std::string_view token, std::string_view context) const override;
    using DecisionEngine::automaticDecision;
    std::optional<CorrectionVerdict> automaticDecision(
        std::string_view token, std::string_view context,
        std::string_view applicationBundleIdentifier, const KeyboardLayout& sourceLayout,
        const std::vector<LayoutConversionCandidate>& candidates, double threshold,
        const std::optional<PreviousWord>& previousWord) const override;
    // Its own reading whatever the confidence, else the standard engine's.
    std::optional<CorrectionVerdict> manualDecision(
        std::string_view token, std::string_view applicationBundleIdentifier,
        const KeyboardLayout& sourceLayout,
        const std::vector<LayoutConversionCandidate>& candidates) const override;
    std::string convertedDelimiter(std::string_view delimiter,
                                   const CorrectionVerdict& decision) const override;

    const StandardEngine& standard() const { return *standard_; }
    const LanguageModels& models() const { return models_; }

  private:
    // The keys re-read in another layout: the word, and the keys read as punctuation before
    // and after it.
    struct Reading {
        std::u32string lead;
        std::u32string core;
        std::u32string trail;
        double logProbability = -std::numeric_limits<double>::infinity();
        bool isKnown = false;
    };
    // The word as typed, scored once for all candidates.
    struct TypedWord {
        std::u32string typed;
        std::u32string core;
        double logProbability = 0.0;
        bool isDictionaryWord = false;
        bool isListed = false;
        bool hasLetters = true;
        // Its letters pair as words of its language do (names and slips included).
        bool spellsLikeAWord = true;
    };

    // A compound of words joined by hyphens whose parts were typed in different layouts
    // ("Дштгч-система" for "Linux-система"): each part judged on its own, the parts before it
    // counting as its context. Absent unless some parts stay and others change.
    std::optional<CorrectionVerdict> compoundDecision(std::string_view token,
                                                      std::string_view context,
                                                      std::string_view applicationBundleIdentifier,
                                                      const KeyboardLayout& sourceLayout,
                                                      const LayoutConversionCandidate& candidate,
                                                      double threshold) const;
    // A name with digits typed under Cyrillic ("дшис6" for "libc6", "АФЕ32" for "FAT32"): its
    // letters judged without the digits, which every layout types alike. Absent unless they
    // read as Latin.
    std::optional<CorrectionVerdict> digitsDecision(
        std::string_view token, std::string_view context,
        std::string_view applicationBundleIdentifier, const KeyboardLayout& sourceLayout,
        const LayoutConversionCandidate& candidate, double threshold,
        const std::optional<PreviousWord>& previousWord) const;
    // Absent when the rules keep the token whatever the other layouts read.
    std::optional<TypedWord> typedWord(std::string_view token, std::string_view context,
                                       const KeyboardLayout& sourceLayout) const;
    // How the typed spelling scores in its language, whatever stands around it.
    const TypedWord& scoredWord(std::u32string typed, const std::string& language,
                                const WordLikelihood& source) const;
    // The log-odds, the prior included, that the candidate and not the typed word was meant,
    // and the reading it stands for.
    struct Odds {
        double logOdds;
        std::string corrected;
    };
    struct Question;
    // Evidence for the reading less the prior against a wrong layout; absent when the rules
    // keep the token. `switchedFrom`: the word before, when the user selected the source
    // layout after it.
    std::optional<Odds> logOdds(const TypedWord& word, std::string_view context,
                                const KeyboardLayout& sourceLayout,
                                const PreviousWord* switchedFrom,
                                const LayoutConversionCandidate& candidate) const;
    std::optional<Odds> loneMarkOdds(std::string_view context, const KeyboardLayout& targetLayout,
                                     std::u32string_view reread) const;
    double contextPrior(const Question& question) const;
    std::optional<double> switchPrior(const Question& question, const PreviousWord& switchedFrom,
                                      double prior) const;
    static bool keepsTypedWord(const Question& question);
    std::optional<double> oneLetterEvidence(const Question& question) const;
    std::optional<Odds> wordOdds(const Question& question, double prior) const;
    static bool keepsAcronym(const Question& question, bool latinAcronym);
    static double unknownWordsEvidence(const Question& question, double margin,
                                       bool noSpellingAsTyped);
    double namePrior(const Question& question, bool noSpellingAsTyped) const;
    static std::string spelled(const Reading& reading);

    const WordLikelihood* likelihood(const KeyboardLayout& layout) const;
    bool isKnownWord(std::u32string_view chunk, const KeyboardLayout& layout) const;
    bool isPlainWordOf(std::string_view text, const KeyboardLayout& layout) const;
    // bestReading, remembered: it depends on nothing but its arguments.
    std::optional<Reading> rememberedReading(std::u32string_view typed, std::u32string_view reread,
                                             const std::string& language,
                                             const WordLikelihood& target,
                                             bool lettersMayBeBrackets) const;
    std::optional<Reading> bestReading(std::u32string_view typed, std::u32string_view reread,
                                       const WordLikelihood& target,
                                       bool lettersMayBeBrackets) const;
    static std::optional<std::u32string> wordAsTyped(std::u32string_view typed);
    static std::u32string_view alignedKeys(std::u32string_view typed, const Reading& reading);
    static double lowerCaseLogProbability(std::u32string_view text, const LanguageModel& model);
    static double typedLogProbability(std::u32string_view typed, double coreLogProbability,
                                      const WordLikelihood& source);
    bool endsSentenceInLayout(std::string_view context, const KeyboardLayout& sourceLayout,
                              const KeyboardLayout& targetLayout) const;
    double historyAdjustment(std::string_view original, std::string_view corrected,
                             std::string_view applicationBundleIdentifier) const;

    std::unique_ptr<StandardEngine> standard_;
    LanguageModels models_;
    std::map<std::string, WordLikelihood> likelihoods_;
    // Text brings the same words back again and again; scoring them is most of a decision's
    // cost, and only what stands around a word differs.
    mutable BoundedMemo<std::u32string, TypedWord> typedWords_;
    mutable BoundedMemo<std::u32string, std::optional<Reading>> readings_;
};

}  // namespace plovik
