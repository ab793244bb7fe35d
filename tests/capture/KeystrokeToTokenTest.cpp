#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/capture/KeyboardEventMonitor.h"
#include "core/tokens/CurrentTokenBuffer.h"
#include "platform/simulated/SimulatedKeyCaptureFactory.h"
#include "platform/simulated/SimulatedMainQueue.h"
#include "support/KeyEvents.h"

namespace plovik {
namespace {

using testing::kAlt;
using testing::keyEvent;
using testing::kLevelThree;
using testing::kShift;

using Strokes = std::vector<PhysicalKeyStroke>;

// Recorded key events travel through the simulated tap and the monitor into the
// token buffer, wired as the coordinator wires them.
class KeystrokeToTokenTest : public ::testing::Test {
  protected:
    KeystrokeToTokenTest() {
        monitor_ = KeyboardEventMonitor::create(taps_, queue_, testing::presetShortcuts);
        monitor_->onStroke = [this](const std::string& text, const PhysicalKeyStroke& stroke,
                                    KeyPressNumber) {
            for (auto& completion : buffer_.consume(text, stroke)) {
                completions_.push_back(std::move(completion));
            }
        };
        monitor_->onDeleteBackward = [this] { buffer_.deleteBackward(); };
        monitor_->onManualCorrection = [this](KeyPressNumber) {
            manualCandidates_.push_back(buffer_.candidateForManualCorrection());
        };
        monitor_->shouldHandleManualCorrection = [this] { return acceptManual_; };
        monitor_->shouldDeferReturn = [this] { return !buffer_.currentToken().empty(); };
        monitor_->onDeferredReturn = [this](Key key, Modifiers modifiers, KeyPressNumber) {
            deferredReturns_.emplace_back(key, modifiers);
            // The owner replays the Return as its own key press.
            KeyEvent replay = keyEvent(key, "\r", modifiers);
            replay.isOwnEvent = true;
            EXPECT_EQ(taps_.deliver(replay), KeyDisposition::pass);
        };
        monitor_->start();
    }

    KeyDisposition press(Key pressed, std::string text, Modifiers modifiers = {},
                         bool isOwnEvent = false) {
        KeyEvent key = keyEvent(pressed, std::move(text), modifiers);
        key.isOwnEvent = isOwnEvent;
        const KeyDisposition disposition = taps_.deliver(key);
        queue_.runUntilIdle();
        return disposition;
    }

    SimulatedClock clock_;
    SimulatedMainQueue queue_{clock_};
    SimulatedKeyCaptureFactory taps_;
    CurrentTokenBuffer buffer_{64};
    std::shared_ptr<KeyboardEventMonitor> monitor_;
    bool acceptManual_ = false;
    std::vector<TokenCompletion> completions_;
    std::vector<std::optional<TokenCompletion>> manualCandidates_;
    std::vector<std::pair<Key, Modifiers>> deferredReturns_;
};

TEST_F(KeystrokeToTokenTest, TypedKeysBecomeWordsWithTheirPhysicalStrokes) {
    // "café": the accent comes from a dead key (level three and E) and then the E key.
    press(Key::c, "c");
    press(Key::a, "a");
    press(Key::f, "f");
    EXPECT_EQ(press(Key::e, "", kLevelThree), KeyDisposition::pass);
    press(Key::e, "é");
    EXPECT_EQ(buffer_.currentToken(), "café");
    press(Key::space, " ");
    // "xz" and one deletion leave "x".
    press(Key::x, "x");
    press(Key::z, "z");
    EXPECT_EQ(press(Key::backspace, "\x7f"), KeyDisposition::pass);
    EXPECT_EQ(buffer_.currentToken(), "x");
    // An open word: the Return is held back, reported once, and its replay ignored.
    EXPECT_EQ(press(Key::enter, "\r", kShift), KeyDisposition::swallowAndHold);
    EXPECT_EQ(deferredReturns_, (std::vector<std::pair<Key, Modifiers>>{{Key::enter, kShift}}));
    EXPECT_EQ(buffer_.currentToken(), "x");
    // Plovik's own marked key press is invisible.
    EXPECT_EQ(press(Key::q, "q", {}, true), KeyDisposition::pass);
    EXPECT_EQ(buffer_.currentToken(), "x");
    press(Key::space, " ");
    // No open word: the Return goes through and is an ordinary delimiter.
    EXPECT_EQ(press(Key::enter, "\r"), KeyDisposition::pass);
    EXPECT_EQ(deferredReturns_.size(), 1u);

    const Strokes cafe{
        {Key::c, {}}, {Key::a, {}}, {Key::f, {}}, {Key::e, kLevelThree}, {Key::e, {}}};
    ASSERT_EQ(completions_.size(), 2u);
    EXPECT_EQ(completions_[0], (TokenCompletion{"café", " ", "", cafe, Strokes{{Key::space, {}}}}));
    EXPECT_EQ(completions_[1], (TokenCompletion{"x", " ", "café ", Strokes{{Key::x, {}}},
                                                Strokes{{Key::space, {}}}}));
    EXPECT_EQ(buffer_.recentContext(), "café x \r");
}

TEST_F(KeystrokeToTokenTest, OptionSpaceIsTheManualShortcutOnlyWhenAccepted) {
    const std::string optionSpace = "\u00a0";
    press(Key::o, "o");
    press(Key::k, "k");
    EXPECT_EQ(press(Key::space, optionSpace, kAlt), KeyDisposition::pass);
    ASSERT_EQ(completions_.size(), 1u);
    EXPECT_EQ(completions_[0],
              (TokenCompletion{"ok", optionSpace, "", Strokes{{Key::o, {}}, {Key::k, {}}},
                               Strokes{{Key::space, {}}}}));
    EXPECT_TRUE(manualCandidates_.empty());

    acceptManual_ = true;
    press(Key::y, "y");
    press(Key::e, "e");
    EXPECT_EQ(press(Key::space, optionSpace, kAlt), KeyDisposition::swallow);
    ASSERT_EQ(manualCandidates_.size(), 1u);
    EXPECT_EQ(
        manualCandidates_[0],
        (TokenCompletion{"ye", "", "ok" + optionSpace, Strokes{{Key::y, {}}, {Key::e, {}}}, {}}));
    EXPECT_EQ(completions_.size(), 1u);
    EXPECT_EQ(buffer_.currentToken(), "ye");
}

}  // namespace
}  // namespace plovik
