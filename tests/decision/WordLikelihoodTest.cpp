#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/decision/LanguageModel.h"
#include "core/decision/WordLikelihood.h"

namespace plovik {
namespace {

// Accepts a fixed vocabulary and counts every question.
class CountingSpellChecker final : public SpellChecker {
  public:
    std::vector<std::string> availableLanguages() override { return {"ru_RU"}; }
    bool isSpelledCorrectly(std::string_view word, std::string_view) override {
        ++questions[std::string(word)];
        return word == "область" || word == "Москва" || word == "город";
    }
    std::map<std::string, int> questions;
};

std::shared_ptr<const LanguageModel> smallRussianModel() {
    return std::make_shared<const LanguageModel>(LanguageModel::fromText(
        "#total\t1000\nобласть\t20\nмосква\t5\nусл\t40\n",
        "#total\t100\nо\t10\nб\t5\nл\t8\nа\t9\nс\t7\nт\t9\nь\t3\nм\t4\nк\t4\nв\t4\nг\t2\nр\t3\n"
        "д\t2\nу\t2\nоб\t3\nбл\t2\nла\t2\nас\t2\nст\t3\nть\t2\n"));
}

TEST(WordLikelihood, AListedWordIsCheckedOnceAndNamesKeepTheirCapital) {
    CountingSpellChecker checker;
    const WordLikelihood likelihood("ru", smallRussianModel(), &checker, "ru_RU");
    const auto first = likelihood.assess(U"область");
    const auto second = likelihood.assess(U"Область");
    EXPECT_TRUE(first.isDictionaryWord && second.isDictionaryWord);
    EXPECT_DOUBLE_EQ(first.logProbability, second.logProbability);
    EXPECT_EQ(checker.questions["область"], 1);
    EXPECT_EQ(checker.questions["Область"], 0);
    // A name the dictionary knows only with its capital is asked as typed, once: what a word
    // spelled so is assessed to be is remembered.
    EXPECT_TRUE(likelihood.assess(U"Москва").isDictionaryWord);
    EXPECT_FALSE(likelihood.assess(U"москва").isDictionaryWord);
    EXPECT_TRUE(likelihood.assess(U"Москва").isDictionaryWord);
    EXPECT_EQ(checker.questions["москва"], 1);
    EXPECT_EQ(checker.questions["Москва"], 1);
    // A listed abbreviation the dictionary rejects counts no more than a rare word, every time.
    const auto abbreviation = likelihood.assess(U"усл");
    EXPECT_TRUE(abbreviation.isListed);
    EXPECT_FALSE(abbreviation.isDictionaryWord);
    EXPECT_LT(abbreviation.logProbability, std::log(40.0 / 1000.0));
    EXPECT_DOUBLE_EQ(likelihood.assess(U"усл").logProbability, abbreviation.logProbability);
}

TEST(WordLikelihood, TheUpperBoundIsNeverBelowTheAssessment) {
    CountingSpellChecker checker;
    const WordLikelihood likelihood("ru", smallRussianModel(), &checker, "ru_RU");
    for (const std::u32string word :
         {U"область", U"Москва", U"москва", U"усл", U"город", U"бвгд", U"и", U"что-то"}) {
        const double bound = likelihood.upperBoundLogProbability(word);
        EXPECT_GE(bound, likelihood.assess(word).logProbability) << word.size();
    }
    // Bounds come from the lists and letters alone.
    checker.questions.clear();
    likelihood.upperBoundLogProbability(U"город");
    EXPECT_TRUE(checker.questions.empty());
}

}  // namespace
}  // namespace plovik
