#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/decision/RememberingSpellChecker.h"

namespace plovik {
namespace {

class CountingSpellChecker final : public SpellChecker {
  public:
    std::vector<std::string> availableLanguages() override {
        ++languageQuestions;
        return {"en_US", "ru_RU"};
    }
    bool isSpelledCorrectly(std::string_view word, std::string_view language) override {
        ++questions[std::string(language) + "/" + std::string(word)];
        return language == "en_US" ? word == "cat" : word == "кот";
    }
    std::map<std::string, int> questions;
    int languageQuestions = 0;
};

TEST(RememberingSpellChecker, AsksOncePerWordAndLanguage) {
    CountingSpellChecker checker;
    RememberingSpellChecker remembering(checker, 16);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(remembering.isSpelledCorrectly("cat", "en_US"));
        EXPECT_FALSE(remembering.isSpelledCorrectly("cat", "ru_RU"));
        EXPECT_TRUE(remembering.isSpelledCorrectly("кот", "ru_RU"));
        EXPECT_FALSE(remembering.isSpelledCorrectly("dog", "en_US"));
        EXPECT_EQ(remembering.availableLanguages(), (std::vector<std::string>{"en_US", "ru_RU"}));
    }
    EXPECT_EQ(checker.questions,
              (std::map<std::string, int>{
                  {"en_US/cat", 1}, {"ru_RU/cat", 1}, {"ru_RU/кот", 1}, {"en_US/dog", 1}}));
    EXPECT_EQ(checker.languageQuestions, 1);
    // A word and a language cannot be mistaken for another pair.
    EXPECT_FALSE(remembering.isSpelledCorrectly("US/cat", "en"));
}

}  // namespace
}  // namespace plovik
