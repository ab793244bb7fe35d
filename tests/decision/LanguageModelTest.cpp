#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <string>

#include "core/decision/ExtendedEngine.h"
#include "core/decision/LanguageDataDirectory.h"
#include "core/decision/LanguageModel.h"

namespace plovik {
namespace {

// Three words, "ab" far more common than "ba"; the letter file frames words as ^^word$.
constexpr const char* kWords = "#total\t1000\nab\t600\nba\t100\nbad line\nzz\tnot-a-number\n";
constexpr const char* kLetters =
    "#total\t700\na\t700\nb\t700\n$\t700\n"
    "^a\t600\n^b\t100\nab\t600\nba\t100\nb$\t600\na$\t100\n"
    "^^a\t600\n^^b\t100\n^ab\t600\n^ba\t100\nab$\t600\nba$\t100\n";

TEST(LanguageModel, WordSharesComeFromCountsOverTheDeclaredTotal) {
    const auto model = LanguageModel::fromText(kWords, kLetters);
    EXPECT_EQ(model.wordCount(), 2u);
    EXPECT_EQ(model.runningWords(), 1000u);
    ASSERT_TRUE(model.wordLogProbability("ab"));
    EXPECT_NEAR(*model.wordLogProbability("ab"), std::log(0.6), 1e-6);
    EXPECT_NEAR(*model.wordLogProbability("ba"), std::log(0.1), 1e-6);
    EXPECT_FALSE(model.wordLogProbability("zz"));
    EXPECT_FALSE(model.wordLogProbability("a"));
    EXPECT_FALSE(model.wordLogProbability("abc"));
    // A total smaller than the listed counts cannot make a share above one.
    const auto undeclared = LanguageModel::fromText("#total\t10\nab\t600\n", kLetters);
    EXPECT_LE(*undeclared.wordLogProbability("ab"), 0.0);
}

TEST(LanguageModel, AWordMostlyWrittenInCapitalsIsAnAcronym) {
    const auto model = LanguageModel::fromText(
        "#total\t1000\ngnu\t100\t60\nthe\t600\t9\nok\t2\t1\nbad\t5\tx\n", kLetters);
    EXPECT_TRUE(model.isWrittenInCapitals("gnu"));
    EXPECT_TRUE(model.isWrittenInCapitals("ok"));
    EXPECT_FALSE(model.isWrittenInCapitals("the"));
    EXPECT_FALSE(model.isWrittenInCapitals("nasa"));
    // A malformed capitals column drops the line rather than guessing.
    EXPECT_FALSE(model.wordLogProbability("bad"));
    EXPECT_NEAR(*model.wordLogProbability("the"), std::log(0.6), 1e-6);
    // The shipped data knows which words are acronyms.
    const auto directory = LanguageDataDirectory::locate();
    ASSERT_TRUE(directory);
    const auto english = LanguageModel::load(*directory / "en.words", *directory / "en.chars");
    const auto russian = LanguageModel::load(*directory / "ru.words", *directory / "ru.chars");
    ASSERT_TRUE(english && russian);
    EXPECT_TRUE(english->isWrittenInCapitals("gnu"));
    EXPECT_FALSE(english->isWrittenInCapitals("the"));
    EXPECT_TRUE(russian->isWrittenInCapitals("сша"));
    EXPECT_FALSE(russian->isWrittenInCapitals("еды"));
}

TEST(LanguageModel, SpellingsOfSeenLetterSequencesAreLikelier) {
    const auto model = LanguageModel::fromText(kWords, kLetters);
    const double seen = model.spellingLogProbability(U"ab");
    EXPECT_LT(seen, 0.0);
    EXPECT_GT(seen, model.spellingLogProbability(U"ba"));
    EXPECT_GT(model.spellingLogProbability(U"ba"), model.spellingLogProbability(U"bb"));
    // A letter the language never writes makes any spelling very unlikely.
    EXPECT_LT(model.spellingLogProbability(U"aж"), model.spellingLogProbability(U"bb") - 5.0);
    EXPECT_TRUE(model.usesLetter(U'a'));
    EXPECT_FALSE(model.usesLetter(U'ж'));
}

TEST(LanguageModel, PairsTheTextNeverWritesOrOnlyNamesAloneAreUnwritten) {
    // "b" is written alone 99 times and starts a longer word once in ten million words.
    constexpr const char* letters =
        "a\t10000000\nb\t10000100\n$\t20000000\n"
        "^a\t9999900\n^b\t100\nab\t9999900\nba\t1\nb$\t10000000\na$\t1\n"
        "^^a\t9999900\n^^b\t100\n^ab\t9999900\n^b$\t99\n^ba\t1\nab$\t9999900\n"
        "ba$\t1\n";
    const auto model = LanguageModel::fromText(kWords, letters);
    EXPECT_TRUE(model.writesEveryPair(U"ab"));
    // Never seen: a doubled letter, a letter the language lacks.
    EXPECT_FALSE(model.writesEveryPair(U"aab"));
    EXPECT_FALSE(model.writesEveryPair(U"abж"));
    // Seen, but once in ten million words once the lone letters are set apart.
    EXPECT_FALSE(model.writesEveryPair(U"ba"));
    // A lone letter is for the one-letter rules to judge.
    EXPECT_TRUE(model.writesEveryPair(U"b"));
    EXPECT_TRUE(model.writesEveryPair(U""));
}

TEST(LanguageModel, ShippedDataKnowsWhichPairsItsLanguageWrites) {
    const auto directory = LanguageDataDirectory::locate();
    ASSERT_TRUE(directory);
    const auto models = ExtendedEngine::loadLanguageModels(*directory);
    EXPECT_TRUE(models.at("ru")->writesEveryPair(U"объявление"));
    EXPECT_TRUE(models.at("en")->writesEveryPair(U"morten"));
    // English typed under Russian, and Russian under English.
    EXPECT_FALSE(models.at("ru")->writesEveryPair(U"ьщкеут"));
    EXPECT_FALSE(models.at("ru")->writesEveryPair(U"ыушвуд"));
    EXPECT_FALSE(models.at("en")->writesEveryPair(U"gjbcr"));
    EXPECT_FALSE(models.at("en")->writesEveryPair(U"jlyjuj"));
}

TEST(LanguageModel, UnreadableOrEmptyFilesGiveNoModel) {
    EXPECT_FALSE(LanguageModel::load("/nonexistent/en.words", "/nonexistent/en.chars"));
    const auto empty = LanguageModel::fromText("#total\t5\n", "");
    EXPECT_EQ(empty.wordCount(), 0u);
    EXPECT_LT(empty.spellingLogProbability(U"a"), 0.0);
}

TEST(LanguageModel, ShippedDataHoldsEnglishRussianAndUkrainian) {
    const auto directory = LanguageDataDirectory::locate();
    ASSERT_TRUE(directory) << "no language data beside the program or in the source tree";
    const auto models = ExtendedEngine::loadLanguageModels(*directory);
    ASSERT_EQ(models.size(), 3u);
    // Close to each list's size, so that a source dropped from the build shows here.
    const std::map<std::string, std::size_t> leastWords{{"en", 50000}, {"ru", 45000}, {"uk", 9000}};
    std::size_t footprint = 0;
    for (const auto& [language, model] : models) {
        SCOPED_TRACE(language);
        EXPECT_GE(model->wordCount(), leastWords.at(language));
        footprint += model->footprint();
    }
    // A few megabytes together, well inside the memory goal.
    EXPECT_LT(footprint, 6u << 20);
    EXPECT_GT(*models.at("en")->wordLogProbability("the"), std::log(0.02));
    EXPECT_TRUE(models.at("ru")->wordLogProbability("область"));
    // Forms of everyday prose, not only of manuals.
    for (const char* form : {"говорил", "ребёнок", "хорошо", "тут"}) {
        EXPECT_TRUE(models.at("ru")->wordLogProbability(form)) << form;
    }
    // The dictionaries' notation is not taken for words.
    EXPECT_FALSE(models.at("ru")->wordLogProbability("обыкн"));
    EXPECT_FALSE(models.at("en")->wordLogProbability("chot"));
    EXPECT_TRUE(models.at("uk")->wordLogProbability("файл"));
    EXPECT_GT(models.at("ru")->spellingLogProbability(U"привет"),
              models.at("ru")->spellingLogProbability(U"ghbdtn"));
}

TEST(LanguageDataDirectory, AnOverrideIsLookedAtFirst) {
    ::setenv("PLOVIK_LANGUAGE_DATA", "/nonexistent/plovik-language", 1);
    const auto candidates = LanguageDataDirectory::candidates();
    // A missing override falls through to the next place that has the files.
    const auto found = LanguageDataDirectory::locate();
    ::unsetenv("PLOVIK_LANGUAGE_DATA");
    ASSERT_FALSE(candidates.empty());
    EXPECT_EQ(candidates.front(), std::filesystem::path("/nonexistent/plovik-language"));
    ASSERT_TRUE(found);
    EXPECT_NE(*found, candidates.front());
}

}  // namespace
}  // namespace plovik
