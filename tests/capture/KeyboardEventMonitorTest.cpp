#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/capture/KeyboardEventMonitor.h"
#include "platform/simulated/SimulatedKeyCaptureFactory.h"
#include "platform/simulated/SimulatedMainQueue.h"
#include "support/KeyEvents.h"

namespace plovik {
namespace {

using testing::kAlt;
using testing::kCapsLock;
using testing::kControl;
using testing::keyEvent;
using testing::kLevelThree;
using testing::kNumLock;
using testing::kShift;
using testing::kSuper;

std::string str(Key key) {
    return std::to_string(evdevCode(key));
}

std::string str(Modifiers modifiers) {
    return std::to_string(modifiers.bits());
}

// Drives a monitor through the simulated tap and writes every callback into a log.
class KeyboardEventMonitorTest : public ::testing::Test {
  protected:
    KeyboardEventMonitorTest() {
        monitor_ = KeyboardEventMonitor::create(taps_, queue_, [this] {
            ++providerCalls_;
            return shortcuts_;
        });
        monitor_->onStroke = [this](const std::string& text, const PhysicalKeyStroke& stroke,
                                    KeyPressNumber) {
            log_.push_back("stroke:" + text + ":" + str(stroke.key) + ":" + str(stroke.modifiers));
        };
        monitor_->onDeleteBackward = [this] { log_.push_back("delete"); };
        monitor_->onManualCorrection = [this](KeyPressNumber) { log_.push_back("manual"); };
        monitor_->onUndo = [this](KeyPressNumber) { log_.push_back("undo"); };
        monitor_->onPauseToggle = [this](KeyPressNumber) { log_.push_back("pause"); };
        monitor_->onConvertSelection = [this](KeyPressNumber) { log_.push_back("convert"); };
        monitor_->onDeferredReturn = [this](Key key, Modifiers modifiers, KeyPressNumber) {
            log_.push_back("return:" + str(key) + ":" + str(modifiers));
        };
        monitor_->start();
    }

    // Delivers the event, runs what it posted and returns the callbacks it caused.
    std::vector<std::string> press(const KeyEvent& event,
                                   KeyDisposition expected = KeyDisposition::pass) {
        log_.clear();
        EXPECT_EQ(taps_.deliver(event), expected) << "key " << str(event.key);
        queue_.runUntilIdle();
        return log_;
    }

    SimulatedClock clock_;
    SimulatedMainQueue queue_{clock_};
    SimulatedKeyCaptureFactory taps_;
    KeyboardEventMonitor::Shortcuts shortcuts_ = testing::presetShortcuts();
    int providerCalls_ = 0;
    std::vector<std::string> log_;
    std::shared_ptr<KeyboardEventMonitor> monitor_;
};

using Log = std::vector<std::string>;

TEST_F(KeyboardEventMonitorTest, OrdinaryKeysAreReportedAfterTheKeyInOrder) {
    EXPECT_EQ(taps_.deliver(keyEvent(Key::g, "g")), KeyDisposition::pass);
    EXPECT_EQ(taps_.deliver(keyEvent(Key::h, "H", kShift | kCapsLock)), KeyDisposition::pass);
    EXPECT_TRUE(log_.empty()) << "callbacks run on the main queue, not inside the tap";
    queue_.runUntilIdle();
    EXPECT_EQ(log_, (Log{"stroke:g:34:0", "stroke:H:35:" + str(kShift | kCapsLock)}));

    // Only Shift, Caps Lock and level three choose what a key types.
    EXPECT_EQ(press(keyEvent(Key::keypad1, "1", kNumLock | kAlt | kLevelThree)),
              (Log{"stroke:1:79:" + str(kLevelThree)}));
}

TEST_F(KeyboardEventMonitorTest, SilentKeysOfTheTypingBlockAreStrokesOthersAreNothing) {
    // A dead key types nothing yet but its stroke still counts.
    EXPECT_EQ(press(keyEvent(Key::apostrophe, "", kLevelThree)),
              (Log{"stroke::40:" + str(kLevelThree)}));
    EXPECT_EQ(press(keyEvent(Key::grave, std::nullopt)), (Log{"stroke::41:0"}));
    EXPECT_EQ(press(keyEvent(Key::a, std::nullopt)), (Log{"stroke::30:0"}));
    EXPECT_EQ(press(keyEvent(Key::iso102nd, std::nullopt)), (Log{"stroke::86:0"}));
    EXPECT_EQ(press(keyEvent(Key::backslash, "")), (Log{"stroke::43:0"}));
    EXPECT_EQ(press(keyEvent(Key::tab, "")), Log{});           // Tab
    EXPECT_EQ(press(keyEvent(Key::enter, "")), Log{});         // Return
    EXPECT_EQ(press(keyEvent(Key::left, "")), Log{});          // left arrow
    EXPECT_EQ(press(keyEvent(Key::f1, std::nullopt)), Log{});  // F1
    EXPECT_EQ(press(keyEvent(Key::keypad5, "")), Log{});
    // Outside the typing block with characters: reported like any key.
    EXPECT_EQ(press(keyEvent(Key::escape, "\x1b")), (Log{"stroke:\x1b:1:0"}));
    EXPECT_EQ(press(keyEvent(Key::tab, "\t")), (Log{"stroke:\t:15:0"}));
}

TEST_F(KeyboardEventMonitorTest, OwnEventsNeverProduceCallbacks) {
    monitor_->shouldHandleManualCorrection = [] { return true; };
    KeyEvent shortcut = keyEvent(Key::space, " ", kAlt);
    shortcut.isOwnEvent = true;
    EXPECT_EQ(press(shortcut), Log{});
    KeyEvent letter = keyEvent(Key::a, "a");
    letter.isOwnEvent = true;
    EXPECT_EQ(press(letter), Log{});
    KeyEvent deletion = keyEvent(Key::backspace, "\x7f");
    deletion.isOwnEvent = true;
    EXPECT_EQ(press(deletion), Log{});
    letter.isOwnEvent = false;
    EXPECT_EQ(press(letter), (Log{"stroke:a:30:0"}));
}

TEST_F(KeyboardEventMonitorTest, ShortcutsAreSwallowedOnlyWhenTheOwnerAccepts) {
    const std::string optionSpace = "\u00a0";
    // No predicate: an ordinary key typing what Alt-Space types; Alt is no level.
    EXPECT_EQ(press(keyEvent(Key::space, optionSpace, kAlt)),
              (Log{"stroke:" + optionSpace + ":57:0"}));
    bool accept = false;
    monitor_->shouldHandleManualCorrection = [&] { return accept; };
    EXPECT_EQ(press(keyEvent(Key::space, optionSpace, kAlt)).size(), 1u);
    accept = true;
    EXPECT_EQ(press(keyEvent(Key::space, optionSpace, kAlt), KeyDisposition::swallow),
              (Log{"manual"}));
    // Caps Lock and level three are outside the comparison; an extra Super is not.
    EXPECT_EQ(
        press(keyEvent(Key::space, " ", kAlt | kLevelThree | kNumLock), KeyDisposition::swallow),
        (Log{"manual"}));
    EXPECT_EQ(press(keyEvent(Key::space, optionSpace, kAlt | kCapsLock), KeyDisposition::swallow),
              (Log{"manual"}));
    EXPECT_EQ(press(keyEvent(Key::space, " ", kAlt | kSuper)), Log{});
    EXPECT_EQ(press(keyEvent(Key::space, " ", kAlt | kShift)).size(), 1u)
        << "undo without predicate";

    monitor_->shouldHandleUndo = [] { return true; };
    EXPECT_EQ(press(keyEvent(Key::space, " ", kAlt | kShift), KeyDisposition::swallow),
              (Log{"undo"}));
    // Pause needs no predicate, and Super does not hide a configured shortcut.
    EXPECT_EQ(press(keyEvent(Key::p, "p", kAlt | kSuper), KeyDisposition::swallow), (Log{"pause"}));
    // Converting needs the owner's word, like correcting.
    EXPECT_EQ(press(keyEvent(Key::c, "c", kAlt | kSuper)), Log{});
    monitor_->shouldHandleConversion = [] { return true; };
    EXPECT_EQ(press(keyEvent(Key::c, "c", kAlt | kSuper), KeyDisposition::swallow),
              (Log{"convert"}));

    // Identical shortcuts: the earlier one wins; a refused one falls through to the next.
    shortcuts_.undo = shortcuts_.manual;
    EXPECT_EQ(press(keyEvent(Key::space, " ", kAlt), KeyDisposition::swallow), (Log{"manual"}));
    accept = false;
    EXPECT_EQ(press(keyEvent(Key::space, " ", kAlt), KeyDisposition::swallow), (Log{"undo"}));

    // New shortcuts apply from the next key on, the provider being asked once per key.
    shortcuts_.pause = ShortcutDefinition(Key::t, kControl | kAlt);
    const int callsBefore = providerCalls_;
    EXPECT_EQ(press(keyEvent(Key::t, "t", kControl | kAlt), KeyDisposition::swallow),
              (Log{"pause"}));
    EXPECT_EQ(press(keyEvent(Key::p, "p", kAlt | kSuper)), Log{});
    EXPECT_EQ(providerCalls_ - callsBefore, 2);
}

TEST_F(KeyboardEventMonitorTest, CommandAndControlCombinationsAreNeverText) {
    EXPECT_EQ(press(keyEvent(Key::v, "v", kSuper)), Log{});
    EXPECT_EQ(press(keyEvent(Key::a, "\x01", kControl)), Log{});
    EXPECT_EQ(press(keyEvent(Key::backspace, "\x7f", kSuper)), Log{})
        << "Command-Delete is no backspace";
    monitor_->shouldDeferReturn = [] { return true; };
    EXPECT_EQ(press(keyEvent(Key::enter, "\r", kControl)), Log{});
}

TEST_F(KeyboardEventMonitorTest, ReturnIsDeferredOnlyWhenTheOwnerAsks) {
    EXPECT_EQ(press(keyEvent(Key::enter, "\r")), (Log{"stroke:\r:28:0"}));
    bool defer = false;
    monitor_->shouldDeferReturn = [&] { return defer; };
    EXPECT_EQ(press(keyEvent(Key::enter, "\r", kShift)), (Log{"stroke:\r:28:" + str(kShift)}));
    defer = true;
    // Only Shift travels with the deferred key; the key tells Return from keypad Enter. The
    // keys typed after it are held until it is posted.
    EXPECT_EQ(press(keyEvent(Key::enter, "\r", kShift | kAlt | kCapsLock | kLevelThree),
                    KeyDisposition::swallowAndHold),
              (Log{"return:28:" + str(kShift)}));
    EXPECT_EQ(press(keyEvent(Key::keypadEnter, "\x03", kNumLock), KeyDisposition::swallowAndHold),
              (Log{"return:96:0"}));
    // A missing callback makes the press a no-op, but it stays swallowed.
    monitor_->onDeferredReturn = nullptr;
    EXPECT_EQ(press(keyEvent(Key::enter, "\r"), KeyDisposition::swallowAndHold), Log{});
}

// A press that reached the application before it could be held (the answer came too late,
// or the key was not grabbed) is typing: a deferred Return or a shortcut would act twice.
TEST_F(KeyboardEventMonitorTest, APressTheApplicationAlreadyHasIsOnlyTyping) {
    monitor_->shouldDeferReturn = [] { return true; };
    monitor_->shouldHandleManualCorrection = [] { return true; };
    auto gone = [](KeyEvent event) {
        event.isSwallowable = false;
        return event;
    };
    EXPECT_EQ(press(gone(keyEvent(Key::enter, "\r"))), (Log{"stroke:\r:28:0"}));
    EXPECT_EQ(press(gone(keyEvent(Key::keypadEnter, "\x03", kNumLock))).size(), 1u);
    EXPECT_EQ(press(gone(keyEvent(Key::space, " ", kAlt))), (Log{"stroke: :57:0"}));
    EXPECT_EQ(press(gone(keyEvent(Key::p, "p", kAlt | kSuper))), Log{})
        << "with Super it is a command to the application, not text";
    EXPECT_EQ(press(gone(keyEvent(Key::backspace, "\x7f"))), (Log{"delete"}));
    // The same presses, held for the answer, act as before.
    EXPECT_EQ(press(keyEvent(Key::enter, "\r"), KeyDisposition::swallowAndHold),
              (Log{"return:28:0"}));
    EXPECT_EQ(press(keyEvent(Key::space, " ", kAlt), KeyDisposition::swallow), (Log{"manual"}));
}

// The press is taken only after the slow checks; one the system let go meanwhile is typing.
TEST_F(KeyboardEventMonitorTest, APressTakenTooLateIsOnlyTypingAndIsTakenOnce) {
    struct CountedClaim final : PressClaim {
        bool available = true;
        int takes = 0;
        bool take() override {
            ++takes;
            return std::exchange(available, false);
        }
    };
    auto claim = std::make_shared<CountedClaim>();
    monitor_->shouldDeferReturn = [&] {
        claim->available = false;  // the check outlasts the system's patience
        return true;
    };
    monitor_->shouldHandleManualCorrection = [] { return true; };
    KeyEvent lateReturn = keyEvent(Key::enter, "\r");
    lateReturn.claim = claim;
    EXPECT_EQ(press(lateReturn), (Log{"stroke:\r:28:0"}));

    monitor_->shouldDeferReturn = [] { return true; };
    auto taken = std::make_shared<CountedClaim>();
    KeyEvent shortcut = keyEvent(Key::space, " ", kAlt);
    shortcut.claim = taken;
    EXPECT_EQ(press(shortcut, KeyDisposition::swallow), (Log{"manual"}));
    EXPECT_EQ(taken->takes, 1);
    shortcut.claim = std::make_shared<CountedClaim>();
    static_cast<CountedClaim&>(*shortcut.claim).available = false;
    EXPECT_EQ(press(shortcut), (Log{"stroke: :57:0"}))
        << "a shortcut already gone on is not acted on: it typed its space";
}

TEST_F(KeyboardEventMonitorTest, DeleteIsReportedAndStillReachesTheApplication) {
    EXPECT_EQ(press(keyEvent(Key::backspace, "\x7f")), (Log{"delete"}));
    EXPECT_EQ(press(keyEvent(Key::backspace, std::nullopt, kShift)), (Log{"delete"}));
    EXPECT_EQ(press(keyEvent(Key::deleteForward, "\x7f")), (Log{"stroke:\x7f:111:0"}))
        << "forward delete is an ordinary key";
}

TEST_F(KeyboardEventMonitorTest, QueuedCallbacksReadTheCurrentCallbackAndNeedTheMonitor) {
    taps_.deliver(keyEvent(Key::a, "a"));
    std::vector<std::string> replaced;
    monitor_->onStroke = [&](const std::string& text, const PhysicalKeyStroke&, KeyPressNumber) {
        replaced.push_back(text);
    };
    queue_.runUntilIdle();
    EXPECT_EQ(replaced, (Log{"a"}));
    EXPECT_TRUE(log_.empty());

    monitor_->shouldHandleManualCorrection = [] { return true; };
    taps_.deliver(keyEvent(Key::b, "b"));
    taps_.deliver(keyEvent(Key::space, " ", kAlt));
    taps_.deliver(keyEvent(Key::backspace, "\x7f"));
    EXPECT_EQ(queue_.pendingCount(), 3u);
    monitor_.reset();
    EXPECT_FALSE(taps_.isTapInstalled()) << "destruction removes the tap";
    queue_.runUntilIdle();
    EXPECT_EQ(replaced, (Log{"a"}));
    EXPECT_TRUE(log_.empty());
    EXPECT_EQ(taps_.deliver(keyEvent(Key::space, " ", kAlt)), KeyDisposition::pass);
}

TEST_F(KeyboardEventMonitorTest, StartsOnceAndStopsHarmlessly) {
    monitor_->start();
    monitor_->start();
    EXPECT_EQ(taps_.createdTapCount(), 1u);
    EXPECT_EQ(taps_.installedTapCount(), 1u);
    EXPECT_TRUE(taps_.isTapEnabled());

    monitor_->stop();
    monitor_->stop();
    EXPECT_FALSE(monitor_->isRunning());
    EXPECT_FALSE(taps_.isTapInstalled());
    EXPECT_EQ(press(keyEvent(Key::a, "a")), Log{});
    monitor_->start();
    EXPECT_TRUE(monitor_->isRunning());
    EXPECT_EQ(taps_.createdTapCount(), 2u);
    EXPECT_EQ(press(keyEvent(Key::a, "a")).size(), 1u);
}

TEST(KeyboardEventMonitor, FailsToStartWithoutInputMonitoringAndMayRetry) {
    SimulatedClock clock;
    SimulatedMainQueue queue(clock);
    SimulatedKeyCaptureFactory taps;
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
