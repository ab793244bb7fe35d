#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "platform/linux/EnchantSpellChecker.h"
#include "platform/linux/XdgDirectories.h"
#include "support/Dictionaries.h"
#include "support/TemporaryDirectory.h"

namespace plovik {
namespace {

class EnchantSpellCheckerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (const auto missing = testing::missingDictionary(checker_.availableLanguages())) {
            GTEST_SKIP() << *missing;
        }
    }

    EnchantSpellChecker checker_;
};

TEST_F(EnchantSpellCheckerTest, LanguagesAreEnchantTagsSortedOnce) {
    const auto languages = checker_.availableLanguages();
    EXPECT_TRUE(std::ranges::is_sorted(languages));
    EXPECT_EQ(std::ranges::adjacent_find(languages), languages.end());
    EXPECT_EQ(std::ranges::find(languages, "en"), languages.end());
    EXPECT_EQ(checker_.availableLanguages(), languages);
    // Listing loads nothing.
    EXPECT_EQ(checker_.loadedDictionaryCount(), 0u);
}

TEST_F(EnchantSpellCheckerTest, ChecksWordsInEachLanguage) {
    const std::vector<std::tuple<std::string, std::string, bool>> cases{
        {"hello", "en_US", true},        {"Keyboards", "en_US", true},
        {"don't", "en_US", true},        {"color", "en_US", true},
        {"ghbdtn", "en_US", false},      {"привет", "en_US", false},
        {"hello world", "en_US", false}, {"привет", "ru_RU", true},
        {"Клавиатура", "ru_RU", true},   {"ПРИВЕТ", "ru_RU", true},
        {"руддщ", "ru_RU", false},       {"hello", "ru_RU", false},
        {"привіт", "uk_UA", true},       {"дякую", "uk_UA", true},
        {"їжак", "uk_UA", true},         {"привет", "uk_UA", false},
        {"ывапр", "uk_UA", false},
    };
    for (const auto& [word, language, accepted] : cases) {
        EXPECT_EQ(checker_.isSpelledCorrectly(word, language), accepted) << word << " " << language;
    }
}

TEST_F(EnchantSpellCheckerTest, RussianAcceptsBothSpellingsOfYo) {
    // Most Russian text writes "е" for "ё"; both spellings must count as words.
    for (const char* word : {"ещё", "еще", "всё", "все", "тёмный", "темный", "ёлка", "елка", "Ёлка",
                             "ЁЛКА", "её", "ее", "пришёл", "пришел"}) {
        EXPECT_TRUE(checker_.isSpelledCorrectly(word, "ru_RU")) << word;
    }
    EXPECT_FALSE(checker_.isSpelledCorrectly("ёще", "ru_RU"));
}

TEST_F(EnchantSpellCheckerTest, BadInputIsRejectedWithoutLoadingOrCrashing) {
    EXPECT_FALSE(checker_.isSpelledCorrectly("", "en_US"));
    EXPECT_FALSE(
        checker_.isSpelledCorrectly("hel\xff"
                                    "lo",
                                    "en_US"));
    EXPECT_FALSE(checker_.isSpelledCorrectly("\xd0", "ru_RU"));
    EXPECT_FALSE(checker_.isSpelledCorrectly(std::string("hel\0lo", 6), "en_US"));
    EXPECT_EQ(checker_.loadedDictionaryCount(), 0u);
    EXPECT_FALSE(checker_.isSpelledCorrectly("hello", ""));
    EXPECT_FALSE(checker_.isSpelledCorrectly("hello", "xx_XX"));
    EXPECT_FALSE(checker_.isSpelledCorrectly("hello", "xx_XX"));
    EXPECT_FALSE(checker_.isSpelledCorrectly("hello", "en\xff"));
    EXPECT_FALSE(checker_.isSpelledCorrectly("hello", std::string("en_US\0", 6)));
    EXPECT_EQ(checker_.loadedDictionaryCount(), 0u);
}

TEST_F(EnchantSpellCheckerTest, EachDictionaryIsLoadedOnceAndKept) {
    EXPECT_TRUE(checker_.isSpelledCorrectly("hello", "en_US"));
    EXPECT_EQ(checker_.loadedDictionaryCount(), 1u);
    for (int i = 0; i < 50; ++i) {
        EXPECT_TRUE(checker_.isSpelledCorrectly("world", "en_US"));
    }
    EXPECT_EQ(checker_.loadedDictionaryCount(), 1u);
    EXPECT_TRUE(checker_.isSpelledCorrectly("мир", "ru_RU"));
    EXPECT_TRUE(checker_.isSpelledCorrectly("hello", "en_US"));
    EXPECT_EQ(checker_.loadedDictionaryCount(), 2u);
}

// Started from a folder with XDG_CONFIG_HOME relative, the program resolves its own
// configuration folder from HOME; Enchant's personal word lists must go there too, not below
// the folder it was started in. A child process of its own, since the setting is read from
// the environment.
TEST_F(EnchantSpellCheckerTest, KeepsItsFilesInTheResolvedConfigurationFolder) {
    const testing::TemporaryDirectory temporary;
    const auto root = temporary.path();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::unsetenv("ENCHANT_CONFIG_DIR");
        ::setenv("XDG_CONFIG_HOME", "relcfg", 1);
        ::setenv("HOME", (root / "home").c_str(), 1);
        if (::chdir(root.c_str()) != 0) {
            ::_exit(2);
        }
        {
            EnchantSpellChecker checker(
                XdgDirectories::configHome(XdgDirectories::processEnvironment()));
            (void)checker.isSpelledCorrectly("hello", "en_US");
        }
        const bool inHome = std::filesystem::exists(root / "home" / ".config" / "enchant");
        const bool inStartFolder = std::filesystem::exists(root / "relcfg");
        ::_exit(inHome && !inStartFolder ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
}  // namespace plovik
