#include <gtest/gtest.h>

#include "core/capture/ShortcutDefinition.h"
#include "x11/X11DesktopFixture.h"

namespace plovik::testing {
namespace {

using namespace std::chrono_literals;

// X key codes (evdev + 8) of the keys the tests press.
constexpr std::uint32_t kG = 42, kH = 43, kB = 56, kD = 40, kT = 28, kN = 57, kE = 26;
constexpr std::uint32_t kApostrophe = 48, kSpace = 65, kReturn = 36, kBackSpace = 22;
constexpr std::uint32_t kCapsLock = 66, kKeypadEnter = 104;
constexpr Key kReturnCode = Key::enter, kSpaceCode = Key::space;

const std::vector<std::uint32_t> kGhbdtn{kG, kH, kB, kD, kT, kN};

using X11CaptureTest = X11DesktopFixture;

TEST_F(X11CaptureTest, EveryPressCarriesWhatItTypedInTheLockedGroup) {
    installTap();
    userTypes("hI!");
    ASSERT_TRUE(runUntil([&] { return tappedText(false) == "hI!"; })) << tappedText(false);
    const auto shifted = std::find_if(events_.begin(), events_.end(),
                                      [](const KeyEvent& e) { return e.text == "I"; });
    ASSERT_NE(shifted, events_.end());
    EXPECT_TRUE(shifted->modifiers.has(Modifier::shift));
    EXPECT_EQ(shifted->key, Key::i) << "the key's position, not its character";

    events_.clear();
    auto sources = desktop_->inputSources().enabledKeyboardSources();
    ASSERT_EQ(sources.size(), 2u);
    ASSERT_TRUE(desktop_->inputSources().select(sources[1]));
    userPresses(kGhbdtn);
    ASSERT_TRUE(runUntil([&] { return tappedText(false) == "привет"; })) << tappedText(false);
    EXPECT_TRUE(runUntil([&] { return window_->text() == "hI!привет"; })) << window_->text();
}

TEST_F(X11CaptureTest, DeadKeysComposeWithTheNextKey) {
    x_->setLayouts("us", "intl");
    installTap();
    runFor(50ms);
    userPresses({kApostrophe, kE, kH});
    ASSERT_TRUE(runUntil([&] { return events_.size() >= 3; }));
    EXPECT_EQ(events_[0].text, "") << "a dead key types nothing yet";
    EXPECT_EQ(events_[1].text, "é");
    EXPECT_EQ(events_[2].text, "h");
}

TEST_F(X11CaptureTest, GrabbedReturnIsSwallowedOrReplayedAndReportedOnce) {
    bool swallows = true;
    installTap([&](const KeyEvent& event) {
        return event.key == kReturnCode && swallows ? TapDisposition::swallow
                                                    : TapDisposition::pass;
    });
    userPresses({kH, kReturn, kKeypadEnter});
    ASSERT_TRUE(runUntil(
        [&] { return tappedCount(kReturnCode) == 1 && tappedCount(Key::keypadEnter) == 1; }));
    runFor(50ms);
    EXPECT_EQ(tappedCount(kReturnCode), 1u) << "the raw press of a grabbed key is not counted";
    EXPECT_EQ(receivedCount(kReturn), 0u);
    EXPECT_EQ(receivedCount(kKeypadEnter), 1u) << "passed on unchanged";

    // With Caps Lock and Num Lock on, the same grab holds the key.
    swallows = false;
    userPresses({kCapsLock});
    userPresses({kReturn});
    ASSERT_TRUE(runUntil([&] { return receivedCount(kReturn) == 1; }));
    EXPECT_EQ(tappedCount(kReturnCode), 2u);
    swallows = true;
    userPresses({kReturn});
    ASSERT_TRUE(runUntil([&] { return tappedCount(kReturnCode) == 3; }));
    runFor(50ms);
    EXPECT_EQ(receivedCount(kReturn), 1u);
}

TEST_F(X11CaptureTest, ABusyMainThreadNeverHoldsTheKeyboard) {
    installTap([](const KeyEvent&) { return TapDisposition::swallow; });
    userPresses({kH});
    ASSERT_TRUE(runUntil([&] { return events_.size() == 1; }));
    // The main loop is not turned at all while the user presses Return.
    userPresses({kReturn, kH});
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (window_->text() != "hh\n" && window_->text() != "h\nh" &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(window_->text(), "h\nh") << "the Return went on, in order";
    EXPECT_EQ(desktop_->tapFactory().lateAnswerCount(), 1u);
    runFor(50ms);
    EXPECT_EQ(tappedCount(kReturnCode), 0u) << "an answer that came too late is not asked";
}

TEST_F(X11CaptureTest, ShortcutsAreHeldOnlyWithTheirModifiers) {
    desktop_->tapFactory().setShortcuts({ShortcutDefinition::altSpace()});
    installTap([](const KeyEvent& event) {
        return event.key == kSpaceCode && event.modifiers.has(Modifier::alt)
                   ? TapDisposition::swallow
                   : TapDisposition::pass;
    });
    userPresses({kSpace}, X11KeyboardState::kAltMask);
    userPresses({kSpace});
    ASSERT_TRUE(runUntil([&] { return tappedCount(kSpaceCode) == 2; }));
    EXPECT_TRUE(runUntil([&] { return receivedCount(kSpace) == 1; }));
    runFor(50ms);
    EXPECT_EQ(receivedCount(kSpace), 1u) << "Alt+Space never reached the window";
    EXPECT_EQ(tappedCount(kSpaceCode), 2u);
}

TEST_F(X11CaptureTest, PlovikTypesAnyTextInAnyGroupAndKnowsItsOwnKeys) {
    installTap([](const KeyEvent&) { return TapDisposition::swallow; });
    auto& poster = desktop_->eventPoster();
    SyntheticKeyEvent typing;
    typing.text = "привет, Ёж!";
    poster.post(typing);
    ASSERT_TRUE(runUntil([&] { return window_->text() == "привет, Ёж!"; })) << window_->text();

    ASSERT_TRUE(
        desktop_->inputSources().select(desktop_->inputSources().enabledKeyboardSources()[1]));
    runFor(20ms);
    typing.text = "Hello\n";
    poster.post(typing);
    SyntheticKeyEvent backspace;
    backspace.key = Key::backspace;
    poster.post(backspace);
    backspace.isKeyDown = false;
    poster.post(backspace);
    ASSERT_TRUE(runUntil([&] { return window_->text() == "привет, Ёж!Hello"; })) << window_->text();
    runFor(50ms);
    EXPECT_EQ(tappedText(false), "") << "none of them counts as the user's";
    EXPECT_EQ(tappedCount(kReturnCode), 0u) << "our own Return went through the grab at once";
    EXPECT_EQ(receivedCount(kReturn), 1u);
    EXPECT_EQ(desktop_->expectedKeys().pendingCount(), 0u);
}

TEST_F(X11CaptureTest, OnlyTheNextExpectedXTestPressCountsAsOurs) {
    installTap();
    // Plovik expects a press that another program sends first: it is not taken for ours.
    desktop_->expectedKeys().expect(kH);
    userPresses({kH});
    ASSERT_TRUE(runUntil([&] { return events_.size() == 1; }));
    EXPECT_TRUE(events_[0].isOwnEvent) << "the XTest device is shared: the queue decides";
    events_.clear();
    userPresses({kG});
    ASSERT_TRUE(runUntil([&] { return events_.size() == 1; }));
    EXPECT_FALSE(events_[0].isOwnEvent);
}

}  // namespace
}  // namespace plovik::testing
