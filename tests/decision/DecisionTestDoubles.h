#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "core/decision/LanguageDetecting.h"
#include "core/history/HistoryScoring.h"
#include "core/platform/SpellChecker.h"

namespace plovik::testing {

// Knows only American English and a handful of real words; typed nonsense is misspelled.
class EnglishOnlySpellChecker final : public SpellChecker {
  public:
    std::vector<std::string> availableLanguages() override { return {"en_US"}; }
    bool isSpelledCorrectly(std::string_view word, std::string_view language) override {
        static const std::vector<std::string_view> words{"hello", "world", "keyboard", "ruby"};
        return language == "en_US" && std::find(words.begin(), words.end(), word) != words.end();
    }
};

// Answers from a table keyed by text and layout id ({0.0, false} otherwise) and records
// every question in order.
class TableLanguageDetector final : public LanguageDetecting {
  public:
    void set(const std::string& text, const KeyboardLayout& layout, double score,
             bool isDictionaryMatch = false) {
        table_[{text, layout.id}] = {score, isDictionaryMatch};
    }
    LanguagePlausibility plausibility(std::string_view text,
                                      const KeyboardLayout& layout) const override {
        questions.emplace_back(std::string(text), layout.id);
        const auto found = table_.find({std::string(text), layout.id});
        return found == table_.end() ? LanguagePlausibility{} : found->second;
    }

    mutable std::vector<std::pair<std::string, std::string>> questions;  // (text, layout id)

  private:
    std::map<std::pair<std::string, std::string>, LanguagePlausibility> table_;
};

// Returns the adjustment set for (original, corrected, application), 0.0 otherwise, and
// records every question.
class TableHistory final : public HistoryScoring {
  public:
    using Key = std::tuple<std::string, std::string, std::string>;

    void set(const std::string& original, const std::string& corrected,
             const std::string& application, double adjustment) {
        table_[{original, corrected, application}] = adjustment;
    }
    double confidenceAdjustment(std::string_view original, std::string_view corrected,
                                std::string_view application) const override {
        Key key{std::string(original), std::string(corrected), std::string(application)};
        questions.push_back(key);
        const auto found = table_.find(key);
        return found == table_.end() ? 0.0 : found->second;
    }

    mutable std::vector<Key> questions;

  private:
    std::map<Key, double> table_;
};

}  // namespace plovik::testing
