#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/capture/KeyboardEventMonitor.h"
#include "core/capture/SyntheticEventMarker.h"
#include "core/support/ManualMainQueue.h"
#include "core/tokens/CurrentTokenBuffer.h"
#include "platform/simulated/SimulatedKeyEventTapFactory.h"
#include "support/KeyEvents.h"

namespace plovik {
namespace {

using testing::keyEvent;
using testing::kOption;
using testing::kShift;

using Strokes = std::vector<PhysicalKeyStroke>;

// Recorded key events travel through the simulated tap and the monitor into the
// token buffer, wired as the coordinator wires them.
class KeystrokeToTokenTest : public ::testing::Test {
  protected:
    KeystrokeToTokenTest() {
        monitor_ = KeyboardEventMonitor::create(taps_, queue_, testing::presetShortcuts);
        monitor_->onStroke = [this](const std::string& text, const PhysicalKeyStroke& stroke) {
            for (auto& completion : buffer_.consume(text, stroke)) {
                completions_.push_back(std::move(completion));
            }
        };
        monitor_->onDeleteBackward = [this] { buffer_.deleteBackward(); };
        monitor_->onManualCorrection = [this] {
            manualCandidates_.push_back(buffer_.candidateForManualCorrection());
        };
        monitor_->shouldHandleManualCorrection = [this] { return acceptManual_; };
        monitor_->shouldDeferReturn = [this] { return !buffer_.currentToken().empty(); };
        monitor_->onDeferredReturn = [this](std::uint16_t keyCode, std::uint64_t flags) {
            deferredReturns_.emplace_back(keyCode, flags);
            // The owner replays the Return as its own marked key press.
            KeyEvent replay = keyEvent(keyCode, "\r", flags);
            replay.userData = kSyntheticEventMarker;
            EXPECT_EQ(taps_.deliver(replay), TapDisposition::pass);
        };
        monitor_->start();
    }

    TapDisposition press(std::uint16_t keyCode, std::string characters, std::uint64_t flags = 0,
                         std::int64_t userData = 0) {
        KeyEvent key = keyEvent(keyCode, std::move(characters), flags);
        key.userData = userData;
        const TapDisposition disposition = taps_.deliver(key);
        queue_.runUntilIdle();
        return disposition;
    }

    ManualClock clock_;
    ManualMainQueue queue_{clock_};
    SimulatedKeyEventTapFactory taps_;
    CurrentTokenBuffer buffer_{64};
    std::shared_ptr<KeyboardEventMonitor> monitor_;
    bool acceptManual_ = false;
    std::vector<TokenCompletion> completions_;
    std::vector<std::optional<TokenCompletion>> manualCandidates_;
    std::vector<std::pair<std::uint16_t, std::uint64_t>> deferredReturns_;
};

TEST_F(KeystrokeToTokenTest, TypedKeysBecomeWordsWithTheirPhysicalStrokes) {
    // "café": the accent comes from a dead key (Option-E) and then the E key.
    press(8, "c");
    press(0, "a");
    press(3, "f");
    EXPECT_EQ(press(14, "", kOption), TapDisposition::pass);
    press(14, "é");
    EXPECT_EQ(buffer_.currentToken(), "café");
    press(49, " ");
    // "xz" and one deletion leave "x".
    press(7, "x");
    press(6, "z");
    EXPECT_EQ(press(51, "\x7f"), TapDisposition::pass);
    EXPECT_EQ(buffer_.currentToken(), "x");
    // An open word: the Return is held back, reported once, and its replay ignored.
    EXPECT_EQ(press(36, "\r", kShift), TapDisposition::swallow);
    EXPECT_EQ(deferredReturns_,
              (std::vector<std::pair<std::uint16_t, std::uint64_t>>{{36, kShift}}));
    EXPECT_EQ(buffer_.currentToken(), "x");
    // Plovik's own marked key press is invisible.
    EXPECT_EQ(press(12, "q", 0, kSyntheticEventMarker), TapDisposition::pass);
    EXPECT_EQ(buffer_.currentToken(), "x");
    press(49, " ");
    // No open word: the Return goes through and is an ordinary delimiter.
    EXPECT_EQ(press(36, "\r"), TapDisposition::pass);
    EXPECT_EQ(deferredReturns_.size(), 1u);

    const Strokes cafe{{8, 0}, {0, 0}, {3, 0}, {14, kOption}, {14, 0}};
    ASSERT_EQ(completions_.size(), 2u);
    EXPECT_EQ(completions_[0], (TokenCompletion{"café", " ", "", cafe, Strokes{{49, 0}}}));
    EXPECT_EQ(completions_[1],
              (TokenCompletion{"x", " ", "café ", Strokes{{7, 0}}, Strokes{{49, 0}}}));
    EXPECT_EQ(buffer_.recentContext(), "café x \r");
}

TEST_F(KeystrokeToTokenTest, OptionSpaceIsTheManualShortcutOnlyWhenAccepted) {
    const std::string optionSpace = "\u00a0";
    press(31, "o");
    press(40, "k");
    EXPECT_EQ(press(49, optionSpace, kOption), TapDisposition::pass);
    ASSERT_EQ(completions_.size(), 1u);
    EXPECT_EQ(completions_[0], (TokenCompletion{"ok", optionSpace, "", Strokes{{31, 0}, {40, 0}},
                                                Strokes{{49, kOption}}}));
    EXPECT_TRUE(manualCandidates_.empty());

    acceptManual_ = true;
    press(16, "y");
    press(14, "e");
    EXPECT_EQ(press(49, optionSpace, kOption), TapDisposition::swallow);
    ASSERT_EQ(manualCandidates_.size(), 1u);
    EXPECT_EQ(manualCandidates_[0],
              (TokenCompletion{"ye", "", "ok" + optionSpace, Strokes{{16, 0}, {14, 0}}, {}}));
    EXPECT_EQ(completions_.size(), 1u);
    EXPECT_EQ(buffer_.currentToken(), "ye");
}

}  // namespace
}  // namespace plovik
