#include <gtest/gtest.h>

#include "core/layouts/EnglishRussianLayoutMapper.h"

namespace plovik {
namespace {

const KeyboardLayout kEnglish = KeyboardLayout::english();
const KeyboardLayout kRussian = KeyboardLayout::russian();

TEST(EnglishRussianLayoutMapper, TablesAreExactInversesOf68Characters) {
    const EnglishRussianLayoutMapper mapper;
    ASSERT_EQ(mapper.englishToRussian().size(), 68u);
    ASSERT_EQ(mapper.russianToEnglish().size(), 68u);
    for (const auto& [us, ru] : mapper.englishToRussian()) {
        EXPECT_EQ(mapper.russianToEnglish().at(ru), us) << us;
    }
    EXPECT_EQ(mapper.englishToRussian().at("Q"), "Й");
    EXPECT_EQ(mapper.englishToRussian().at("M"), "Ь");
    EXPECT_EQ(mapper.englishToRussian().at("`"), "ё");
    EXPECT_EQ(mapper.englishToRussian().at("~"), "Ё");
    EXPECT_EQ(mapper.englishToRussian().count("<"), 1u);
}

TEST(EnglishRussianLayoutMapper, ConvertsBothWaysCharacterByCharacter) {
    const EnglishRussianLayoutMapper mapper;
    struct Case {
        std::string text;
        KeyboardLayout from;
        KeyboardLayout to;
        std::string expected;
    };
    const std::vector<Case> cases{
        {"ghbdtn", kEnglish, kRussian, "привет"},
        {"Ghbdtn", kEnglish, kRussian, "Привет"},
        {"hello, world", kEnglish, kRussian, "руддщб цщкдв"},
        {"привет.", kRussian, kEnglish, "ghbdtn/"},
        {"Ёж", kRussian, kEnglish, "~;"},
        {"?", kEnglish, kRussian, ","},
        {",", kRussian, kEnglish, "?"},
        {".", kEnglish, kRussian, "ю"},
        {".", kRussian, kEnglish, "/"},
        {"{}:\"<>", kEnglish, kRussian, "ХЪЖЭБЮ"},
        {"1@|\\", kEnglish, kRussian, "1@|\\"},
        {"1@|\\", kRussian, kEnglish, "1@|\\"},
        // Characters of the other layout and combining sequences stay whole.
        {"щe\u0301", kEnglish, kRussian, "щe\u0301"},
        {"ghbdtn", kEnglish, kEnglish, "ghbdtn"},
        {"ghbdtn", {"x", "X", {"ru_RU"}}, kEnglish, "ghbdtn"},
        {"руддщ", {"x", "X", {"RU"}}, kEnglish, "hello"},
        {"руддщ", {"x", "X", {"ru_RU"}}, kRussian, "hello"},
        {"hello", {"x", "X", {}}, kEnglish, "руддщ"},
        {"", kEnglish, kRussian, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(mapper.convert(c.text, c.from, c.to), c.expected) << c.text;
    }
}

TEST(EnglishRussianLayoutMapper, LikelyLayoutNeedsLettersOfOneKind) {
    const EnglishRussianLayoutMapper mapper;
    EXPECT_EQ(mapper.likelyLayout("hello"), kEnglish);
    EXPECT_EQ(mapper.likelyLayout("hello, 42!"), kEnglish);
    EXPECT_EQ(mapper.likelyLayout("привет"), kRussian);
    EXPECT_EQ(mapper.likelyLayout("αβγ"), kRussian);
    EXPECT_EQ(mapper.likelyLayout("helloпривет"), std::nullopt);
    EXPECT_EQ(mapper.likelyLayout("café"), std::nullopt);
    EXPECT_EQ(mapper.likelyLayout("cafe\u0301"), std::nullopt);
    EXPECT_EQ(mapper.likelyLayout("123"), std::nullopt);
    EXPECT_EQ(mapper.likelyLayout("..."), std::nullopt);
    EXPECT_EQ(mapper.likelyLayout(""), std::nullopt);
}

}  // namespace
}  // namespace plovik
