// The one conversion between stored shortcuts and the keys and modifiers of the desktop.
#include <gtest/gtest.h>

#include "core/capture/KeyCombination.h"

namespace plovik {
namespace {

TEST(KeyCombination, StoredPresetsNameTheirLinuxKeys) {
    const auto manual = KeyCombination::fromShortcut(ShortcutDefinition::optionSpace());
    ASSERT_TRUE(manual);
    EXPECT_EQ(manual->key, Key::space);
    EXPECT_EQ(manual->modifiers, Modifiers(Modifier::alt));
    const auto pause = KeyCombination::fromShortcut(ShortcutDefinition::optionCommandP());
    ASSERT_TRUE(pause);
    EXPECT_EQ(pause->key, Key::p);
    EXPECT_EQ(pause->modifiers, Modifier::alt | Modifier::super);
}

TEST(KeyCombination, EveryStoredKeyComesBackAsItWasStored) {
    const std::uint64_t all = ShortcutDefinition::kShift | ShortcutDefinition::kControl |
                              ShortcutDefinition::kOption | ShortcutDefinition::kCommand;
    int known = 0;
    for (std::uint16_t code = 0; code < 200; ++code) {
        const ShortcutDefinition stored(code, all);
        const auto combination = KeyCombination::fromShortcut(stored);
        if (!combination) {
            continue;
        }
        ++known;
        EXPECT_EQ(combination->toShortcut(), std::optional(stored)) << code;
    }
    EXPECT_EQ(known, 74);
}

TEST(KeyCombination, KeysWithoutAStoredNumberAndLockModifiersAreNotStored) {
    EXPECT_FALSE(
        (KeyCombination{static_cast<Key>(183), Modifiers(Modifier::control)}.toShortcut()));
    const KeyCombination locked{Key::k, Modifier::control | Modifier::numLock};
    EXPECT_EQ(locked.toShortcut(),
              std::optional(ShortcutDefinition(40, ShortcutDefinition::kControl)));
}

}  // namespace
}  // namespace plovik
