#include <gtest/gtest.h>

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
    EXPECT_EQ(detector_.conflictDescription(ShortcutDefinition::altSpace()),
              ShortcutConflictDetector::kAltSpaceCaveat);
    EXPECT_TRUE(probe_.probes().empty());

    // Alt-Shift-Space is an ordinary combination.
    EXPECT_EQ(detector_.conflictDescription(ShortcutDefinition::altShiftSpace()), std::nullopt);
    ASSERT_EQ(probe_.probes().size(), 1u);
    EXPECT_EQ(probe_.probes()[0].first, Key::space);
    EXPECT_EQ(probe_.probes()[0].second, (Modifier::alt | Modifier::shift));
}

TEST_F(ShortcutConflictDetectorTest, AHeldCombinationIsReservedAndAFreeOneHasNothingToSay) {
    probe_.hold(Key::p, Modifier::alt | Modifier::super);
    EXPECT_EQ(detector_.conflictDescription(ShortcutDefinition::altSuperP()),
              ShortcutConflictDetector::kReservedMessage);
    // The same key with other modifiers is free.
    EXPECT_EQ(detector_.conflictDescription({Key::p, Modifier::control}), std::nullopt);
}

TEST_F(ShortcutConflictDetectorTest, OnlyTheComparedModifiersAreProbed) {
    EXPECT_EQ(detector_.conflictDescription(
                  {Key::a, Modifier::control | Modifier::shift | Modifier::capsLock}),
              std::nullopt);
    ASSERT_EQ(probe_.probes().size(), 1u);
    EXPECT_EQ(probe_.probes()[0].first, Key::a);
    EXPECT_EQ(probe_.probes()[0].second, (Modifier::control | Modifier::shift));
}

TEST_F(ShortcutConflictDetectorTest, AKeyWithoutALinuxKeyCannotBeHeldAndIsReserved) {
    const auto alt = ShortcutDefinition::altSpace().toJson()["modifiers"].get<std::uint64_t>();
    EXPECT_EQ(detector_.conflictDescription(ShortcutDefinition::fromStored(0xFFFF, alt)),
              ShortcutConflictDetector::kReservedMessage);
    EXPECT_TRUE(probe_.probes().empty());
}

}  // namespace
}  // namespace plovik
