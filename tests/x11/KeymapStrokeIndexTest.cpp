#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

#include "platform/linux/XkbHandles.h"
#include "platform/x11/KeymapStrokeIndex.h"
#include "platform/x11/X11KeyboardState.h"

namespace plovik {
namespace {

constexpr std::uint32_t kShift = X11KeyboardState::kShiftMask;
// Evdev codes plus X's offset of 8.
constexpr std::uint32_t kKeyJ = 44;
constexpr std::uint32_t kSpace = 65;

xkb::Keymap keymapOf(xkb_context* context, const char* layouts) {
    const xkb_rule_names names{"evdev", "pc105", layouts, "", ""};
    return xkb::Keymap(xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
}

std::vector<std::pair<std::uint32_t, std::uint32_t>> keysOf(
    const std::vector<KeymapStrokeIndex::Candidate>& candidates) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> keys;
    for (const auto& candidate : candidates) {
        keys.emplace_back(candidate.keycode, candidate.modifiers);
    }
    return keys;
}

class KeymapStrokeIndexTest : public ::testing::Test {
  protected:
    void SetUp() override {
        context_.reset(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
        usRu_ = keymapOf(context_.get(), "us,ru");
        if (!usRu_) {
            GTEST_SKIP() << "the xkb data is not installed";
        }
    }

    std::optional<std::uint32_t> first(xkb_keymap& keymap, char32_t character, std::uint32_t group,
                                       std::uint32_t extra = 0) {
        const auto& found = index_.candidates(keymap, character, group, extra, 0);
        return found.empty() ? std::nullopt : std::optional(found.front().keycode);
    }

    xkb::Context context_;
    xkb::Keymap usRu_;
    KeymapStrokeIndex index_;
};

TEST_F(KeymapStrokeIndexTest, EachGroupsCharactersComeFromItsOwnKeysAndSharedOnes) {
    EXPECT_EQ(first(*usRu_, U'j', 0), kKeyJ);
    EXPECT_EQ(first(*usRu_, U'о', 1), kKeyJ);
    EXPECT_EQ(first(*usRu_, U'о', 0), std::nullopt) << "the US group has no Cyrillic";
    EXPECT_EQ(first(*usRu_, U'j', 1), std::nullopt);
    EXPECT_EQ(first(*usRu_, U' ', 1), kSpace) << "a key of one layout types in every group";
}

TEST_F(KeymapStrokeIndexTest, ShiftedCharactersNeedShiftUnlessItIsInForceAlready) {
    EXPECT_EQ(keysOf(index_.candidates(*usRu_, U'О', 1, 0, 0)).front(),
              std::make_pair(kKeyJ, kShift));
    // With Shift held by the user, the same key types the capital unshifted…
    EXPECT_EQ(keysOf(index_.candidates(*usRu_, U'О', 1, kShift, 0)).front(),
              std::make_pair(kKeyJ, 0u));
    // …and a small letter only through a key whose shifted level is small, which none is.
    EXPECT_EQ(first(*usRu_, U'о', 1, kShift), std::nullopt);
}

TEST_F(KeymapStrokeIndexTest, KeysAreListedFromTheLowCodesUpUnshiftedFirst) {
    // '1' is on the main block (10) and the keypad (87, with Num Lock off shifted).
    const auto ones = keysOf(index_.candidates(*usRu_, U'1', 0, 0, 0));
    ASSERT_FALSE(ones.empty());
    EXPECT_EQ(ones.front(), std::make_pair(10u, 0u));
    for (std::size_t i = 1; i < ones.size(); ++i) {
        EXPECT_TRUE(ones[i - 1].second < ones[i].second ||
                    (ones[i - 1].second == ones[i].second && ones[i - 1].first < ones[i].first));
    }
}

TEST_F(KeymapStrokeIndexTest, ANewKeymapIsIndexedAnew) {
    ASSERT_EQ(first(*usRu_, U'j', 0), kKeyJ);
    const auto german = keymapOf(context_.get(), "de");
    ASSERT_TRUE(german);
    // On the German layout y and z change places.
    EXPECT_EQ(first(*german, U'z', 0), 29u);
    EXPECT_EQ(first(*german, U'о', 1), std::nullopt);
    EXPECT_EQ(first(*usRu_, U'z', 0), 52u);
}

}  // namespace
}  // namespace plovik
