#include <gtest/gtest.h>

#include "core/decision/CommonShortWords.h"

namespace plovik {
namespace {

TEST(CommonShortWords, MatchesTheFirstLanguagesListAfterLowerCasingAndTrimming) {
    const std::vector<std::string> english{"en"};
    const std::vector<std::string> russian{"ru"};
    EXPECT_TRUE(CommonShortWords::contains("in", english));
    EXPECT_TRUE(CommonShortWords::contains("I", english));
    EXPECT_TRUE(CommonShortWords::contains("\"Is,", english));
    EXPECT_TRUE(CommonShortWords::contains("и", russian));
    EXPECT_TRUE(CommonShortWords::contains("ЕЩЁ", russian));
    EXPECT_TRUE(CommonShortWords::contains("еще!", russian));

    EXPECT_FALSE(CommonShortWords::contains("b", english));
    EXPECT_FALSE(CommonShortWords::contains("the", english));  // not in the short list
    EXPECT_FALSE(CommonShortWords::contains("и", english));
    EXPECT_FALSE(CommonShortWords::contains("in", russian));
    EXPECT_FALSE(CommonShortWords::contains("i n", english));
    EXPECT_FALSE(CommonShortWords::contains("", english));
}

TEST(CommonShortWords, TakesTheBaseCodeOfTheFirstLanguageOnly) {
    EXPECT_TRUE(CommonShortWords::contains("на", {"ru_RU"}));
    EXPECT_TRUE(CommonShortWords::contains("на", {"RU"}));
    EXPECT_TRUE(CommonShortWords::contains("to", {"en-GB", "ru"}));
    EXPECT_TRUE(CommonShortWords::contains("to", {"-en"}));
    EXPECT_FALSE(CommonShortWords::contains("на", {"en", "ru"}));
    EXPECT_FALSE(CommonShortWords::contains("to", {}));
    EXPECT_FALSE(CommonShortWords::contains("to", {"-"}));
    EXPECT_FALSE(CommonShortWords::contains("in", {"de"}));
}

}  // namespace
}  // namespace plovik
