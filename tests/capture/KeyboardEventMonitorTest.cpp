#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/capture/KeyboardEventMonitor.h"
#include "core/capture/SyntheticEventMarker.h"
#include "core/support/ManualMainQueue.h"
#include "platform/simulated/SimulatedKeyEventTapFactory.h"
#include "support/KeyEvents.h"

namespace plovik {
namespace {

using testing::kCapsLock;
using testing::kCommand;
using testing::kControl;
using testing::keyEvent;
using testing::kFunction;
using testing::kNumericPad;
using testing::kOption;
using testing::kShift;

// Drives a monitor through the simulated tap and writes every callback into a log.
class KeyboardEventMonitorTest : public ::testing::Test {
  protected:
    KeyboardEventMonitorTest() {
        monitor_ = KeyboardEventMonitor::create(taps_, queue_, [this] {
            ++providerCalls_;
            return shortcuts_;
        });
        monitor_->onText = [this](const std::string& text) { log_.push_back("text:" + text); };
        monitor_->onStroke = [this](const std::string& text, const PhysicalKeyStroke& stroke) {
            log_.push_back("stroke:" + text + ":" + std::to_string(stroke.keyCode) + ":" +
                           std::to_string(stroke.modifiers));
        };
        monitor_->onDeleteBackward = [this] { log_.push_back("delete"); };
        monitor_->onManualCorrection = [this] { log_.push_back("manual"); };
        monitor_->onUndo = [this] { log_.push_back("undo"); };
        monitor_->onPauseToggle = [this] { log_.push_back("pause"); };
        monitor_->onDeferredReturn = [this](std::uint16_t keyCode, std::uint64_t flags) {
            log_.push_back("return:" + std::to_string(keyCode) + ":" + std::to_string(flags));
        };
        monitor_->start();
    }

    // Delivers the event, runs what it posted and returns the callbacks it caused.
    std::vector<std::string> press(const KeyEvent& event,
                                   TapDisposition expected = TapDisposition::pass) {
        log_.clear();
        EXPECT_EQ(taps_.deliver(event), expected) << "key " << event.keyCode;
        queue_.runUntilIdle();
        return log_;
    }

    ManualClock clock_;
    ManualMainQueue queue_{clock_};
    SimulatedKeyEventTapFactory taps_;
    KeyboardEventMonitor::Shortcuts shortcuts_ = testing::presetShortcuts();
    int providerCalls_ = 0;
    std::vector<std::string> log_;
    std::shared_ptr<KeyboardEventMonitor> monitor_;
};

using Log = std::vector<std::string>;

TEST_F(KeyboardEventMonitorTest, OrdinaryKeysAreReportedAfterTheKeyInOrder) {
    EXPECT_EQ(taps_.deliver(keyEvent(5, "g")), TapDisposition::pass);
    EXPECT_EQ(taps_.deliver(keyEvent(4, "H", kShift | kCapsLock)), TapDisposition::pass);
    EXPECT_TRUE(log_.empty()) << "callbacks run on the main queue, not inside the tap";
    queue_.runUntilIdle();
    EXPECT_EQ(log_, (Log{"stroke:g:5:0", "text:g", "stroke:H:4:196608", "text:H"}));

    // Only Caps Lock, Shift, Option and the numeric-pad flag belong to a stroke.
    EXPECT_EQ(press(keyEvent(83, "1", kNumericPad | kFunction | kOption)),
              (Log{"stroke:1:83:" + std::to_string(kNumericPad | kOption), "text:1"}));
}

TEST_F(KeyboardEventMonitorTest, SilentKeysOfTheTypingBlockAreStrokesOthersAreNothing) {
    // A dead key types nothing yet but its stroke still counts.
    EXPECT_EQ(press(keyEvent(39, "", kOption)), (Log{"stroke::39:" + std::to_string(kOption)}));
    EXPECT_EQ(press(keyEvent(50, std::nullopt)), (Log{"stroke::50:0"}));
    EXPECT_EQ(press(keyEvent(0, std::nullopt)), (Log{"stroke::0:0"}));
    EXPECT_EQ(press(keyEvent(48, "")), Log{});             // Tab
    EXPECT_EQ(press(keyEvent(36, "")), Log{});             // Return
    EXPECT_EQ(press(keyEvent(123, "")), Log{});            // left arrow
    EXPECT_EQ(press(keyEvent(122, std::nullopt)), Log{});  // F1
    // Above 50 with characters: reported like any key.
    EXPECT_EQ(press(keyEvent(53, "\x1b")), (Log{"stroke:\x1b:53:0", "text:\x1b"}));
    EXPECT_EQ(press(keyEvent(48, "\t")), (Log{"stroke:\t:48:0", "text:\t"}));
}

TEST_F(KeyboardEventMonitorTest, OwnEventsNeverProduceCallbacks) {
    monitor_->shouldHandleManualCorrection = [] { return true; };
    KeyEvent shortcut = keyEvent(49, " ", kOption);
    shortcut.userData = kSyntheticEventMarker;
    EXPECT_EQ(press(shortcut), Log{});
    KeyEvent letter = keyEvent(0, "a");
    letter.userData = kSyntheticEventMarker;
    EXPECT_EQ(press(letter), Log{});
    KeyEvent deletion = keyEvent(51, "\x7f");
    deletion.userData = kSyntheticEventMarker;
    EXPECT_EQ(press(deletion), Log{});
    letter.userData = kSyntheticEventMarker + 1;
    EXPECT_EQ(press(letter), (Log{"stroke:a:0:0", "text:a"}));
}

TEST_F(KeyboardEventMonitorTest, ShortcutsAreSwallowedOnlyWhenTheOwnerAccepts) {
    const std::string optionSpace = "\u00a0";
    // No predicate: an ordinary key typing what Option-Space types.
    EXPECT_EQ(
        press(keyEvent(49, optionSpace, kOption)),
        (Log{"stroke:" + optionSpace + ":49:" + std::to_string(kOption), "text:" + optionSpace}));
    bool accept = false;
    monitor_->shouldHandleManualCorrection = [&] { return accept; };
    EXPECT_EQ(press(keyEvent(49, optionSpace, kOption)).size(), 2u);
    accept = true;
    EXPECT_EQ(press(keyEvent(49, optionSpace, kOption), TapDisposition::swallow), (Log{"manual"}));
    // Caps Lock is outside the comparison; an extra Command is not.
    EXPECT_EQ(press(keyEvent(49, optionSpace, kOption | kCapsLock), TapDisposition::swallow),
              (Log{"manual"}));
    EXPECT_EQ(press(keyEvent(49, " ", kOption | kCommand)), Log{});
    EXPECT_EQ(press(keyEvent(49, " ", kOption | kShift)).size(), 2u) << "undo without predicate";

    monitor_->shouldHandleUndo = [] { return true; };
    EXPECT_EQ(press(keyEvent(49, " ", kOption | kShift), TapDisposition::swallow), (Log{"undo"}));
    // Pause needs no predicate, and Command does not hide a configured shortcut.
    EXPECT_EQ(press(keyEvent(35, "p", kOption | kCommand), TapDisposition::swallow),
              (Log{"pause"}));

    // Identical shortcuts: the earlier one wins; a refused one falls through to the next.
    shortcuts_.undo = shortcuts_.manual;
    EXPECT_EQ(press(keyEvent(49, " ", kOption), TapDisposition::swallow), (Log{"manual"}));
    accept = false;
    EXPECT_EQ(press(keyEvent(49, " ", kOption), TapDisposition::swallow), (Log{"undo"}));

    // New shortcuts apply from the next key on, the provider being asked once per key.
    shortcuts_.pause = ShortcutDefinition(17, kControl | kOption);
    const int callsBefore = providerCalls_;
    EXPECT_EQ(press(keyEvent(17, "t", kControl | kOption), TapDisposition::swallow),
              (Log{"pause"}));
    EXPECT_EQ(press(keyEvent(35, "p", kOption | kCommand)), Log{});
    EXPECT_EQ(providerCalls_ - callsBefore, 2);
}

TEST_F(KeyboardEventMonitorTest, CommandAndControlCombinationsAreNeverText) {
    EXPECT_EQ(press(keyEvent(9, "v", kCommand)), Log{});
    EXPECT_EQ(press(keyEvent(0, "\x01", kControl)), Log{});
    EXPECT_EQ(press(keyEvent(51, "\x7f", kCommand)), Log{}) << "Command-Delete is no backspace";
    monitor_->shouldDeferReturn = [] { return true; };
    EXPECT_EQ(press(keyEvent(36, "\r", kControl)), Log{});
}

TEST_F(KeyboardEventMonitorTest, ReturnIsDeferredOnlyWhenTheOwnerAsks) {
    EXPECT_EQ(press(keyEvent(36, "\r")), (Log{"stroke:\r:36:0", "text:\r"}));
    bool defer = false;
    monitor_->shouldDeferReturn = [&] { return defer; };
    EXPECT_EQ(press(keyEvent(36, "\r", kShift)),
              (Log{"stroke:\r:36:" + std::to_string(kShift), "text:\r"}));
    defer = true;
    // Only Shift, numeric pad and function bits travel with the deferred key.
    EXPECT_EQ(press(keyEvent(36, "\r", kShift | kOption | kCapsLock | kFunction),
                    TapDisposition::swallow),
              (Log{"return:36:" + std::to_string(kShift | kFunction)}));
    EXPECT_EQ(press(keyEvent(76, "\x03", kNumericPad | kFunction), TapDisposition::swallow),
              (Log{"return:76:" + std::to_string(kNumericPad | kFunction)}));
    // A missing callback makes the press a no-op, but it stays swallowed.
    monitor_->onDeferredReturn = nullptr;
    EXPECT_EQ(press(keyEvent(36, "\r"), TapDisposition::swallow), Log{});
}

TEST_F(KeyboardEventMonitorTest, DeleteIsReportedAndStillReachesTheApplication) {
    EXPECT_EQ(press(keyEvent(51, "\x7f")), (Log{"delete"}));
    EXPECT_EQ(press(keyEvent(51, std::nullopt, kShift)), (Log{"delete"}));
    EXPECT_EQ(press(keyEvent(117, "\x7f", kFunction)), (Log{"stroke:\x7f:117:0", "text:\x7f"}))
        << "forward delete is an ordinary key";
}

TEST_F(KeyboardEventMonitorTest, QueuedCallbacksReadTheCurrentCallbackAndNeedTheMonitor) {
    taps_.deliver(keyEvent(0, "a"));
    std::vector<std::string> replaced;
    monitor_->onText = [&](const std::string& text) { replaced.push_back(text); };
    monitor_->onStroke = nullptr;
    queue_.runUntilIdle();
    EXPECT_EQ(replaced, (Log{"a"}));
    EXPECT_TRUE(log_.empty());

    monitor_->shouldHandleManualCorrection = [] { return true; };
    taps_.deliver(keyEvent(11, "b"));
    taps_.deliver(keyEvent(49, " ", kOption));
    taps_.deliver(keyEvent(51, "\x7f"));
    EXPECT_EQ(queue_.pendingCount(), 3u);
    monitor_.reset();
    EXPECT_FALSE(taps_.isTapInstalled()) << "destruction removes the tap";
    queue_.runUntilIdle();
    EXPECT_EQ(replaced, (Log{"a"}));
    EXPECT_TRUE(log_.empty());
    EXPECT_EQ(taps_.deliver(keyEvent(49, " ", kOption)), TapDisposition::pass);
}

TEST_F(KeyboardEventMonitorTest, StartsOnceStopsHarmlesslyAndRepairsADisabledTap) {
    monitor_->start();
    EXPECT_EQ(taps_.createdTapCount(), 1u);
    EXPECT_EQ(taps_.installedTapCount(), 1u);
    EXPECT_TRUE(taps_.isTapEnabled());

    taps_.disableTapsByTimeout();
    EXPECT_TRUE(taps_.isTapEnabled());
    taps_.disableTapsByUserInput();
    EXPECT_TRUE(taps_.isTapEnabled());
    queue_.runUntilIdle();
    EXPECT_TRUE(log_.empty()) << "the notifications are no key presses";
    EXPECT_EQ(providerCalls_, 0);

    monitor_->stop();
    monitor_->stop();
    EXPECT_FALSE(monitor_->isRunning());
    EXPECT_FALSE(taps_.isTapInstalled());
    EXPECT_EQ(press(keyEvent(0, "a")), Log{});
    monitor_->start();
    EXPECT_TRUE(monitor_->isRunning());
    EXPECT_EQ(taps_.createdTapCount(), 2u);
    EXPECT_EQ(press(keyEvent(0, "a")).size(), 2u);
}

TEST(KeyboardEventMonitor, FailsToStartWithoutInputMonitoringAndMayRetry) {
    ManualClock clock;
    ManualMainQueue queue(clock);
    SimulatedKeyEventTapFactory taps;
    taps.setInputMonitoringGranted(false);
    auto monitor =
        KeyboardEventMonitor::create(taps, queue, [] { return KeyboardEventMonitor::Shortcuts{}; });
    try {
        monitor->start();
        FAIL() << "start must fail";
    } catch (const KeyboardEventMonitor::StartError& error) {
        EXPECT_EQ(error.errorCase(),
                  KeyboardEventMonitor::StartError::Case::permissionMissingOrTapCreationFailed);
        EXPECT_STREQ(error.what(),
                     "Input Monitoring is not granted, so the keyboard event monitor could not "
                     "start.");
        EXPECT_EQ(error.description(), error.what());
        EXPECT_EQ(error, KeyboardEventMonitor::StartError());
        std::unordered_set<KeyboardEventMonitor::StartError> errors{error};
        EXPECT_EQ(errors.count(KeyboardEventMonitor::StartError()), 1u);
    }
    EXPECT_FALSE(monitor->isRunning());
    EXPECT_EQ(taps.createdTapCount(), 0u);

    taps.setInputMonitoringGranted(true);
    monitor->start();
    EXPECT_TRUE(monitor->isRunning());
    EXPECT_TRUE(taps.isTapEnabled());

    EXPECT_THROW(KeyboardEventMonitor::create(taps, queue, nullptr), std::invalid_argument);
}

}  // namespace
}  // namespace plovik
