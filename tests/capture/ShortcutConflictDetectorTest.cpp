#include <gtest/gtest.h>

#include "core/capture/KeyCombination.h"
#include "core/capture/ShortcutConflictDetector.h"
#include "platform/simulated/SimulatedShortcutProbe.h"

namespace plovik {
namespace {

class ShortcutConflictDetectorTest : public ::testing::Test {
  protected:
    SimulatedShortcutProbe probe_;
    ShortcutConflictDetector detector_{probe_};
};

TEST_F(ShortcutConflictDetectorTest, AltSpaceGetsItsCaveatWithoutAProbe) {
    probe_.hold(Key::space, Modifier::alt);
    EXPECT_EQ(detector_.conflictDescription(ShortcutDefinition::optionSpace()),
              ShortcutConflictDetector::kAltSpaceCaveat);
    EXPECT_TRUE(probe_.probes().empty());

    // Alt-Shift-Space is an ordinary combination.
    EXPECT_EQ(detector_.conflictDescription(ShortcutDefinition::optionShiftSpace()), std::nullopt);
    ASSERT_EQ(probe_.probes().size(), 1u);
    EXPECT_EQ(probe_.probes()[0].first, Key::space);
    EXPECT_EQ(probe_.probes()[0].second, (Modifier::alt | Modifier::shift));
}

TEST_F(ShortcutConflictDetectorTest, AHeldCombinationIsReservedAndAFreeOneHasNothingToSay) {
    probe_.hold(Key::p, Modifier::alt | Modifier::super);
    EXPECT_EQ(detector_.conflictDescription(ShortcutDefinition::optionCommandP()),
              ShortcutConflictDetector::kReservedMessage);
    // The same key with other modifiers is free.
    EXPECT_EQ(detector_.conflictDescription({35, ShortcutDefinition::kControl}), std::nullopt);
}

TEST_F(ShortcutConflictDetectorTest, ModifierBitsOutsideTheFourAreProbedWithout) {
    const std::uint64_t capsLockAndFunction = 0x10000 | 0x800000;
    EXPECT_EQ(
        detector_.conflictDescription(
            {0, ShortcutDefinition::kControl | ShortcutDefinition::kShift | capsLockAndFunction}),
        std::nullopt);
    ASSERT_EQ(probe_.probes().size(), 1u);
    EXPECT_EQ(probe_.probes()[0].first, Key::a);
    EXPECT_EQ(probe_.probes()[0].second, (Modifier::control | Modifier::shift));
}

TEST_F(ShortcutConflictDetectorTest, AKeyWithoutALinuxKeyCannotBeHeldAndIsReserved) {
    EXPECT_EQ(detector_.conflictDescription({0xFFFF, ShortcutDefinition::kOption}),
              ShortcutConflictDetector::kReservedMessage);
    EXPECT_TRUE(probe_.probes().empty());
}

TEST(KeyCombination, StoredKeysReachTheirPhysicalKeys) {
    struct Case {
        std::uint16_t stored;
        Key key;
    };
    // Keys whose stored numbers are out of alphabetical order, and the named ones.
    for (const auto& [stored, key] :
         {Case{0, Key::a}, Case{4, Key::h}, Case{5, Key::g}, Case{22, Key::digit6},
          Case{23, Key::digit5}, Case{29, Key::digit0}, Case{36, Key::enter}, Case{49, Key::space},
          Case{51, Key::backspace}, Case{76, Key::keypadEnter}, Case{122, Key::f1},
          Case{111, Key::f12}, Case{126, Key::up}}) {
        const auto combination = KeyCombination::fromShortcut({stored, 0});
        ASSERT_TRUE(combination) << stored;
        EXPECT_EQ(combination->key, key) << stored;
        EXPECT_TRUE(combination->modifiers.empty());
    }
    EXPECT_EQ(KeyCombination::fromShortcut({10, 0}), std::nullopt);
    EXPECT_EQ(KeyCombination::fromShortcut(ShortcutDefinition::optionCommandP()),
              (KeyCombination{Key::p, Modifier::alt | Modifier::super}));
}

}  // namespace
}  // namespace plovik
