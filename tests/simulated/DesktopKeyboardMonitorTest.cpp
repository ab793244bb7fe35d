#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/capture/KeyboardEventMonitor.h"
#include "platform/simulated/SimulatedMainQueue.h"
#include "replacement/ReplacementFixture.h"
#include "support/KeyEvents.h"

namespace plovik {
namespace {

using testing::keyEvent;

// The keyboard monitor with the usual shortcuts on the tap of the desktop the replacement
// services type into.
class DesktopKeyboardMonitorTest : public ::testing::Test {
  protected:
    testing::ReplacementFixture fixture_;
    SimulatedDesktop& desktop_ = fixture_.desktop;
    SimulatedClock clock_;
    SimulatedMainQueue queue_{clock_};
    std::shared_ptr<KeyboardEventMonitor> monitor_ = KeyboardEventMonitor::create(
        desktop_.keyEventTapFactory(), queue_, testing::presetShortcuts);
};

// The user's keys are reported and reach the field; Plovik's own replacement keystrokes
// reach the field unreported.
TEST_F(DesktopKeyboardMonitorTest, ReportsTheUsersKeysAndIgnoresPlovikOwn) {
    auto field = fixture_.fieldIn("chromium", 9, "hi ");
    std::vector<std::string> texts;
    int deletions = 0;
    monitor_->onStroke = [&](const std::string& text, const PhysicalKeyStroke&, KeyPressNumber) {
        texts.push_back(text);
    };
    monitor_->onDeleteBackward = [&] { ++deletions; };
    monitor_->shouldHandleManualCorrection = [] { return true; };
    int manual = 0;
    monitor_->onManualCorrection = [&](KeyPressNumber) { ++manual; };
    monitor_->start();

    for (const auto& [key, text] :
         {std::pair{Key::g, "g"}, {Key::h, "h"}, {Key::b, "b"}, {Key::space, " "}}) {
        EXPECT_EQ(desktop_.pressKey(keyEvent(key, text)), KeyDisposition::pass);
    }
    // The manual shortcut is swallowed before the field sees it.
    EXPECT_EQ(desktop_.pressKey(keyEvent(Key::space, " ", testing::kAlt)), KeyDisposition::swallow);
    queue_.runUntilIdle();
    EXPECT_EQ(field->text(), "hi ghb ");
    EXPECT_EQ(texts, (std::vector<std::string>{"g", "h", "b", " "}));
    EXPECT_EQ(manual, 1);

    EXPECT_EQ(fixture_.service.replace({"ghb", "при", " "}),
              TextReplacementResult::success(TextReplacementMethod::syntheticKeyboard));
    EXPECT_TRUE(fixture_.keyboard.postKeyStroke(Key::enter, {}));
    queue_.runUntilIdle();
    EXPECT_EQ(field->text(), "hi при ");
    EXPECT_EQ(field->submitCount(), 1);
    EXPECT_EQ(texts.size(), 4u);
    EXPECT_EQ(deletions, 0);
}

// The user types by text under real layouts; the monitor hears the physical strokes,
// the replacement's own keys pass it by.
TEST_F(DesktopKeyboardMonitorTest, HearsTypedStrokesAndNotTheReplacement) {
    ASSERT_TRUE(desktop_.inputSources().addKeyboardLayout("xkb:us"));
    ASSERT_TRUE(desktop_.inputSources().addKeyboardLayout("xkb:ru"));
    desktop_.inputSources().setCurrentSourceId("xkb:us");
    auto field = fixture_.fieldIn("com.slack.Slack", 12, "");
    std::vector<PhysicalKeyStroke> strokes;
    std::string typed;
    monitor_->onStroke = [&](const std::string& text, const PhysicalKeyStroke& stroke,
                             KeyPressNumber) {
        typed += text;
        strokes.push_back(stroke);
    };
    monitor_->start();

    ASSERT_TRUE(desktop_.typeText("ghbdtn "));
    EXPECT_EQ(fixture_.service.replace({"ghbdtn", "привет", " "}).method,
              TextReplacementMethod::syntheticKeyboard);
    desktop_.inputSources().setCurrentSourceId("xkb:ru");
    ASSERT_TRUE(desktop_.typeText("мир"));
    queue_.runUntilIdle();
    EXPECT_EQ(field->text(), "привет мир");
    EXPECT_EQ(typed, "ghbdtn мир");
    EXPECT_EQ(strokes.size(), 10u);
    EXPECT_EQ(strokes[7], PhysicalKeyStroke(Key::v, {}));  // "м" on the key of "v"
}

TEST_F(DesktopKeyboardMonitorTest, NeedsInputMonitoringForItsTap) {
    desktop_.permissions().setInputMonitoringGranted(false);
    EXPECT_THROW(monitor_->start(), KeyboardEventMonitor::StartError);
    desktop_.permissions().setInputMonitoringGranted(true);
    EXPECT_NO_THROW(monitor_->start());
    EXPECT_TRUE(desktop_.keyEventTapFactory().isTapEnabled());
}

}  // namespace
}  // namespace plovik
