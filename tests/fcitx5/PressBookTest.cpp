#include <gtest/gtest.h>

#include "core/platform/Key.h"
#include "core/platform/Modifiers.h"
#include "framework/fcitx5/PressBook.h"

namespace plovik {
namespace {

using namespace std::chrono_literals;

std::uint8_t bits(Modifiers modifiers) {
    return modifiers.bits();
}

TEST(PressBook, HeldCombinationsIgnoreTheLockKeysButNoOtherModifier) {
    PressBook book;
    const auto enter = evdevCode(Key::enter);
    const auto space = evdevCode(Key::space);
    book.setHeldKeys({{enter, 0}, {space, bits(Modifier::control | Modifier::alt)}});
    EXPECT_TRUE(book.isHeld(enter, 0));
    EXPECT_TRUE(book.isHeld(enter, bits(Modifier::capsLock | Modifier::numLock)));
    EXPECT_FALSE(book.isHeld(enter, bits(Modifier::shift)));
    EXPECT_TRUE(book.isHeld(space, bits(Modifier::control | Modifier::alt | Modifier::numLock)));
    EXPECT_FALSE(book.isHeld(space, bits(Modifier::control)));
    EXPECT_FALSE(book.isHeld(space, 0));
    book.setHeldKeys({});
    EXPECT_FALSE(book.isHeld(enter, 0));
}

TEST(PressBook, WithheldReturnsLeaveOnceEachAndInTheOrderTheyCame) {
    PressBook book;
    const auto start = PressBook::Clock::time_point{} + 1s;
    const auto first = book.number();
    const auto second = book.number();
    EXPECT_EQ(first, 1u);
    book.notePassed(second);
    book.notePassed(first);
    EXPECT_EQ(book.lastPassed(), second) << "a late note does not move the mark back";

    book.withhold({1, 28, 0, start + 500ms});
    book.withhold({2, 28, 0, start + 100ms});
    book.withhold({3, 96, 0, start + 900ms});
    EXPECT_EQ(book.nextDeadline(), start + 100ms);
    const auto expired = book.releaseExpired(start + 200ms);
    ASSERT_EQ(expired.size(), 2u) << "the older Return goes before the expired one";
    EXPECT_EQ(expired[0].sequence, 1u);
    EXPECT_EQ(expired[1].sequence, 2u);
    EXPECT_FALSE(book.release(2)) << "let go already: posting it again would type it twice";
    EXPECT_EQ(book.release(3)->key, 96);
    EXPECT_FALSE(book.hasWithheld());

    book.withhold({4, 28, 0, start});
    book.reset();
    EXPECT_FALSE(book.hasWithheld());
    EXPECT_EQ(book.number(), 1u) << "a new connection counts from one";
}

}  // namespace
}  // namespace plovik
