#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/layouts/LayoutPairChooser.h"
#include "platform/linux/XkbKeymapLibrary.h"

namespace plovik {
namespace {

class LayoutPairChooserTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { library_ = std::make_unique<XkbKeymapLibrary>(); }
    static void TearDownTestSuite() { library_.reset(); }

    static std::vector<LayoutPairChooser::Side> sides(const std::vector<std::string>& names) {
        std::vector<LayoutPairChooser::Side> result;
        for (const auto& name : names) {
            result.push_back({KeyboardLayout{"xkb:" + name, name, {name}},
                              library_->keyLayoutData("xkb:" + name)});
        }
        return result;
    }

    // "selected-partner", or "none".
    static std::string chosen(const std::vector<std::string>& names,
                              const std::optional<std::string>& selected) {
        const auto pair = LayoutPairChooser::choose(
            sides(names), selected ? std::optional("xkb:" + *selected) : std::nullopt);
        return pair ? pair->first.layout.displayName + "-" + pair->second.layout.displayName
                    : "none";
    }

    static inline std::unique_ptr<XkbKeymapLibrary> library_;
};

TEST_F(LayoutPairChooserTest, TheSelectedLayoutPairsWithAnotherAlphabetFirst) {
    EXPECT_EQ(chosen({"us", "ru"}, "ru"), "ru-us");
    EXPECT_EQ(chosen({"us", "de", "ru"}, "us"), "us-ru") << "German adds only a few letters";
    EXPECT_EQ(chosen({"us", "de", "ru"}, "de"), "de-ru");
    EXPECT_EQ(chosen({"us", "de", "ru"}, "ru"), "ru-us") << "two Latin partners: the first";
    EXPECT_EQ(chosen({"us", "ua", "ru"}, "ru"), "ru-us") << "Ukrainian shares most letters";
    EXPECT_EQ(chosen({"us", "de"}, "de"), "de-us") << "the same alphabet when nothing else";
}

TEST_F(LayoutPairChooserTest, WithoutASelectedLayoutTheFirstStandsInAndOneLayoutIsNoPair) {
    EXPECT_EQ(chosen({"us", "ru"}, std::nullopt), "us-ru");
    EXPECT_EQ(chosen({"ru", "us"}, "jp"), "ru-us");
    EXPECT_EQ(chosen({"us"}, "us"), "none");
    auto withoutKeyMap = sides({"us", "ru"});
    withoutKeyMap[1].keyMap = nullptr;
    EXPECT_FALSE(LayoutPairChooser::choose(withoutKeyMap, "xkb:us"));
}

}  // namespace
}  // namespace plovik
