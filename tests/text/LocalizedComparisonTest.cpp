#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/text/LocalizedComparison.h"

namespace plovik::text {
namespace {

TEST(LocalizedComparison, IgnoresCaseButNotAccents) {
    const LocalizedComparison english("en_US");
    EXPECT_LT(english.compare("apple", "Zoom"), 0);
    EXPECT_GT(english.compare("Zoom", "apple"), 0);
    EXPECT_EQ(english.compare("Apple", "apple"), 0);
    EXPECT_EQ(english.compare("\xD0\x9F\xD0\xA0\xD0\x98", "\xD0\xBF\xD1\x80\xD0\xB8"),
              0);                                                     // ПРИ, при
    EXPECT_NE(english.compare("resume", "r\xC3\xA9sum\xC3\xA9"), 0);  // résumé
    EXPECT_TRUE(english("apple", "Zoom"));
    EXPECT_FALSE(english("apple", "Apple"));
}

TEST(LocalizedComparison, FollowsTheGivenLocale) {
    const std::string yabloko = "\xD1\x8F\xD0\xB1\xD0\xBB\xD0\xBE\xD0\xBA\xD0\xBE";  // яблоко
    EXPECT_LT(LocalizedComparison("en").compare("apple", yabloko), 0);
    EXPECT_GT(LocalizedComparison("ru_RU").compare("apple", yabloko), 0);  // Cyrillic first

    const std::string oeland = "\xC3\x96land";  // Öland
    EXPECT_LT(LocalizedComparison("en_US").compare(oeland, "Zealand"), 0);
    EXPECT_GT(LocalizedComparison("sv_SE").compare(oeland, "Zealand"), 0);  // Ö after Z

    std::vector<std::string> names{"Zoom", "apple", "Banana",
                                   "\xC3\xA9"
                                   "clair",
                                   "eclair"};
    const LocalizedComparison root("");
    std::stable_sort(names.begin(), names.end(), std::cref(root));
    EXPECT_EQ(names, (std::vector<std::string>{"apple", "Banana", "eclair",
                                               "\xC3\xA9"
                                               "clair",
                                               "Zoom"}));
}

TEST(LocalizedComparison, SurvivesBeingMovedFromAndBadInput) {
    LocalizedComparison first("en");
    LocalizedComparison second(std::move(first));
    EXPECT_LT(second.compare("a", "B"), 0);
    EXPECT_LT(first.compare("a", "B"), 0);  // NOLINT(bugprone-use-after-move): still usable
    EXPECT_EQ(second.compare("\xFF", "\xFF"), 0);
    EXPECT_LT(LocalizedComparison("no-such_LOCALE@x").compare("apple", "Zoom"), 0);
}

TEST(LocalizedComparison, ReadsPosixLocaleNames) {
    EXPECT_EQ(LocalizedComparison::localeNameFromPosix("ru_RU.UTF-8"), "ru_RU");
    EXPECT_EQ(LocalizedComparison::localeNameFromPosix("sr_RS@latin"), "sr_RS");
    EXPECT_EQ(LocalizedComparison::localeNameFromPosix("de_DE"), "de_DE");
    EXPECT_EQ(LocalizedComparison::localeNameFromPosix("C.UTF-8"), "");
    EXPECT_EQ(LocalizedComparison::localeNameFromPosix("POSIX"), "");
}

// Changes the process environment for one scope and puts it back.
class ScopedEnvironment {
  public:
    explicit ScopedEnvironment(std::map<std::string, std::optional<std::string>> values) {
        for (const auto& [name, value] : values) {
            const char* old = std::getenv(name.c_str());
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
            set(name, value);
        }
    }
    ~ScopedEnvironment() {
        for (const auto& [name, value] : saved_) {
            set(name, value);
        }
    }

  private:
    static void set(const std::string& name, const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name.c_str(), value->c_str(), 1);
        } else {
            ::unsetenv(name.c_str());
        }
    }
    std::map<std::string, std::optional<std::string>> saved_;
};

TEST(LocalizedComparison, TakesTheUserLocaleFromTheCollationVariables) {
    {
        ScopedEnvironment environment(
            {{"LC_ALL", std::nullopt}, {"LC_COLLATE", "sv_SE.UTF-8"}, {"LANG", "ru_RU.UTF-8"}});
        EXPECT_EQ(LocalizedComparison::userLocaleName(), "sv_SE");
    }
    {
        ScopedEnvironment environment(
            {{"LC_ALL", "de_DE.UTF-8"}, {"LC_COLLATE", "sv_SE.UTF-8"}, {"LANG", "ru_RU.UTF-8"}});
        EXPECT_EQ(LocalizedComparison::userLocaleName(), "de_DE");
    }
    {
        ScopedEnvironment environment(
            {{"LC_ALL", ""}, {"LC_COLLATE", std::nullopt}, {"LANG", "ru_RU.UTF-8"}});
        EXPECT_EQ(LocalizedComparison::userLocaleName(), "ru_RU");
    }
    {
        ScopedEnvironment environment(
            {{"LC_ALL", std::nullopt}, {"LC_COLLATE", std::nullopt}, {"LANG", std::nullopt}});
        EXPECT_EQ(LocalizedComparison::userLocaleName(), "");
    }
}

}  // namespace
}  // namespace plovik::text
