#include <gtest/gtest.h>

#include <unordered_set>

#include "core/layouts/KeyboardLayout.h"

namespace plovik {
namespace {

TEST(KeyboardLayout, PrimaryAndBaseLanguageNormalise) {
    EXPECT_EQ(KeyboardLayout({"x", "X", {"pt_BR", "en"}}).primaryLanguage(), "pt-br");
    EXPECT_EQ(KeyboardLayout({"x", "X", {"pt_BR"}}).baseLanguage(), "pt");
    EXPECT_EQ(KeyboardLayout::russian().primaryLanguage(), "ru");
    EXPECT_EQ(KeyboardLayout({"x", "X", {}}).primaryLanguage(), std::nullopt);
    EXPECT_EQ(KeyboardLayout({"x", "X", {}}).baseLanguage(), std::nullopt);
    // The same rule serves every caller that compares language tags.
    EXPECT_EQ(KeyboardLayout::baseLanguageOf("ru_RU"), "ru");
    EXPECT_EQ(KeyboardLayout::baseLanguageOf("-EN-us"), "en");
    EXPECT_EQ(KeyboardLayout::baseLanguageOf("_"), std::nullopt);
    EXPECT_EQ(KeyboardLayout::normalizedLanguageTag("pt_BR"), "pt-br");
    EXPECT_EQ(KeyboardLayout({"x", "X", {"_uk_UA"}}).baseLanguage(), "uk");
    EXPECT_EQ(KeyboardLayout({"x", "X", {"EN"}}).baseLanguage(), "en");
    EXPECT_EQ(KeyboardLayout({"x", "X", {"-_"}}).baseLanguage(), std::nullopt);
    EXPECT_EQ(KeyboardLayout({"x", "X", {""}}).baseLanguage(), std::nullopt);
}

TEST(KeyboardLayout, EqualityHashingAndJson) {
    const KeyboardLayout a{"xkb:de", "German", {"de", "at"}};
    KeyboardLayout b = a;
    EXPECT_EQ(a, b);
    b.languages = {"at", "de"};
    EXPECT_NE(a, b);
    std::unordered_set<KeyboardLayout> set{a, b, a};
    EXPECT_EQ(set.size(), 2u);

    EXPECT_EQ(a.toJson().dump(),
              R"({"displayName":"German","id":"xkb:de","languages":["de","at"]})");
    EXPECT_EQ(KeyboardLayout::fromJson(a.toJson()), a);
    EXPECT_FALSE(
        KeyboardLayout::fromJson(nlohmann::json::parse(R"({"id":"x","displayName":"X"})")));
    EXPECT_FALSE(KeyboardLayout::fromJson(
        nlohmann::json::parse(R"({"id":"x","displayName":"X","languages":[1]})")));
    EXPECT_FALSE(KeyboardLayout::fromJson(nlohmann::json::parse("[]")));
}

}  // namespace
}  // namespace plovik
