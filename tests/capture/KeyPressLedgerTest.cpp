#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "core/capture/KeyPressLedger.h"

namespace plovik {
namespace {

TEST(KeyPressLedger, APressAfterTheOneAskedAboutIsOnItsWayUnlessATapSwallowedIt) {
    KeyPressLedger ledger;
    EXPECT_EQ(ledger.latest(), 0u);
    EXPECT_FALSE(ledger.hasPressGoneOnSince(0));

    const KeyPressNumber delimiter = ledger.record();
    EXPECT_EQ(delimiter, 1u);
    EXPECT_FALSE(ledger.hasPressGoneOnSince(delimiter)) << "the press itself is no later key";

    // A held-back Return and a shortcut are Plovik's to post or drop, not the application's.
    ledger.noteSwallowed(ledger.record());
    ledger.noteSwallowed(ledger.record());
    EXPECT_FALSE(ledger.hasPressGoneOnSince(delimiter));
    EXPECT_TRUE(ledger.hasPressGoneOnSince(0)) << "the delimiter itself went on";

    ledger.record();
    EXPECT_TRUE(ledger.hasPressGoneOnSince(delimiter));
    EXPECT_FALSE(ledger.hasPressGoneOnSince(ledger.latest()));

    // A number that was never handed out is no press.
    ledger.noteSwallowed(0);
    EXPECT_TRUE(ledger.hasPressGoneOnSince(delimiter));
}

TEST(KeyPressLedger, ASwallowedPressItNoLongerRemembersCountsAsGoneOn) {
    KeyPressLedger ledger;
    const KeyPressNumber asked = ledger.record();
    for (std::size_t i = 0; i < KeyPressLedger::kRememberedPresses; ++i) {
        ledger.noteSwallowed(ledger.record());
    }
    EXPECT_FALSE(ledger.hasPressGoneOnSince(asked));
    ledger.noteSwallowed(ledger.record());
    EXPECT_TRUE(ledger.hasPressGoneOnSince(asked)) << "refusing is the safe mistake";
    EXPECT_FALSE(ledger.typedBetween(asked, ledger.latest())) << "nor is what it typed known";
}

TEST(KeyPressLedger, TellsWhatThePressesAfterOneTypedAsLongAsTheyOnlyTyped) {
    KeyPressLedger ledger;
    const KeyPressNumber delimiter = ledger.record(" ");
    EXPECT_EQ(ledger.typedBetween(delimiter, delimiter), "");
    ledger.record("");  // Shift
    ledger.record("П");
    ledger.noteSwallowed(ledger.record());  // a shortcut, never in the field
    const KeyPressNumber r = ledger.record("р");
    ledger.record("и");
    EXPECT_EQ(ledger.typedBetween(delimiter, ledger.latest()), "При");
    EXPECT_EQ(ledger.typedBetween(delimiter, r), "Пр") << "only up to the press asked about";
    EXPECT_EQ(ledger.typedBetween(delimiter, ledger.latest() + 5), "При")
        << "presses not made yet typed nothing";

    // A Backspace or an arrow may have done anything to the field.
    ledger.record(std::nullopt);
    EXPECT_FALSE(ledger.typedBetween(delimiter, ledger.latest()));
    EXPECT_EQ(ledger.typedBetween(ledger.latest(), ledger.latest()), "");
}

TEST(KeyPressLedger, OnlyPressesThatTypedTextCanWaitBehindAnEdit) {
    KeyPressLedger ledger;
    const KeyPressNumber held = ledger.record(" ");
    EXPECT_TRUE(ledger.onlyTextSince(held)) << "no press since";
    ledger.record("g");
    ledger.record("H");
    EXPECT_TRUE(ledger.onlyTextSince(held));

    // Each of these changes what Plovik's keys would type, or is Plovik's to handle.
    for (const auto& typed :
         std::vector<std::optional<std::string>>{"", std::nullopt, "\n", "\t"}) {
        KeyPressLedger other;
        const KeyPressNumber before = other.record(" ");
        other.record("g");
        other.record(typed);
        other.record("h");
        EXPECT_FALSE(other.onlyTextSince(before)) << typed.value_or("(a command)");
    }
    ledger.noteSwallowed(ledger.record("j"));
    EXPECT_FALSE(ledger.onlyTextSince(held)) << "a swallowed press";

    KeyPressLedger forgetful;
    const KeyPressNumber first = forgetful.record("a");
    for (std::size_t i = 0; i <= KeyPressLedger::kRememberedPresses; ++i) {
        forgetful.record("b");
    }
    EXPECT_FALSE(forgetful.onlyTextSince(first)) << "presses no longer remembered";
}

TEST(KeyPressLedger, CaptureThreadsNumberEveryPressOnce) {
    KeyPressLedger ledger;
    constexpr int kThreads = 4;
    constexpr int kPresses = 1000;
    std::vector<std::vector<KeyPressNumber>> numbers(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&ledger, &mine = numbers[t]] {
            for (int i = 0; i < kPresses; ++i) {
                mine.push_back(ledger.record());
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    std::vector<bool> seen(kThreads * kPresses + 1, false);
    for (const auto& mine : numbers) {
        for (const KeyPressNumber n : mine) {
            ASSERT_GE(n, 1u);
            ASSERT_LE(n, static_cast<KeyPressNumber>(kThreads * kPresses));
            EXPECT_FALSE(seen[n]) << n;
            seen[n] = true;
        }
    }
    EXPECT_EQ(ledger.latest(), static_cast<KeyPressNumber>(kThreads * kPresses));
}

}  // namespace
}  // namespace plovik
