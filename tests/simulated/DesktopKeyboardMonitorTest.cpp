#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/capture/KeyboardEventMonitor.h"
#include "core/replacement/FocusedElementService.h"
#include "core/replacement/SyntheticKeyboardService.h"
#include "core/replacement/TextReplacementService.h"
#include "core/support/ManualMainQueue.h"
#include "platform/simulated/SimulatedDesktop.h"

namespace plovik {
namespace {

KeyEvent key(std::uint16_t keyCode, std::string characters, std::uint64_t flags = 0) {
    KeyEvent event;
    event.keyCode = keyCode;
    event.flags = flags;
    event.characters = std::move(characters);
    return event;
}

// The keyboard monitor on the desktop's tap: the user's keys are reported and reach
// the field; Plovik's own replacement keystrokes reach the field unreported.
TEST(DesktopKeyboardMonitor, ReportsTheUsersKeysAndIgnoresPlovikOwn) {
    SimulatedDesktop desktop;
    ManualClock clock;
    ManualMainQueue queue(clock);
    auto editor = desktop.launch("com.google.Chrome", "Chrome", 9);
    desktop.activate(9);
    auto field = desktop.addFocusedTextField(*editor, "hi ");
    auto monitor = KeyboardEventMonitor::create(desktop.keyEventTapFactory(), queue, [] {
        return KeyboardEventMonitor::Shortcuts{ShortcutDefinition::optionSpace(),
                                               ShortcutDefinition::optionShiftSpace(),
                                               ShortcutDefinition::optionCommandP()};
    });
    std::vector<std::string> texts;
    int deletions = 0;
    monitor->onText = [&](const std::string& text) { texts.push_back(text); };
    monitor->onDeleteBackward = [&] { ++deletions; };
    monitor->shouldHandleManualCorrection = [] { return true; };
    int manual = 0;
    monitor->onManualCorrection = [&] { ++manual; };
    monitor->start();

    for (const auto& [code, text] : {std::pair{5, "g"}, {4, "h"}, {11, "b"}, {49, " "}}) {
        EXPECT_EQ(desktop.pressKey(key(static_cast<std::uint16_t>(code), text)),
                  TapDisposition::pass);
    }
    // The manual shortcut is swallowed before the field sees it.
    EXPECT_EQ(desktop.pressKey(key(49, " ", 0x80000)), TapDisposition::swallow);
    queue.runUntilIdle();
    EXPECT_EQ(field->text(), "hi ghb ");
    EXPECT_EQ(texts, (std::vector<std::string>{"g", "h", "b", " "}));
    EXPECT_EQ(manual, 1);

    FocusedElementService focus(desktop.accessibility(), desktop.workspace());
    SyntheticKeyboardService keyboard(desktop.eventPoster());
    ReentrancyGuard guard;
    TextReplacementService service(focus, keyboard, guard);
    EXPECT_EQ(service.replace({"ghb", "при", " "}),
              TextReplacementResult::success(TextReplacementMethod::syntheticKeyboard));
    EXPECT_TRUE(keyboard.postKeyStroke(36, 0));
    queue.runUntilIdle();
    EXPECT_EQ(field->text(), "hi при ");
    EXPECT_EQ(field->submitCount(), 1);
    EXPECT_EQ(texts.size(), 4u);
    EXPECT_EQ(deletions, 0);
}

// The user types by text under real layouts; the monitor hears the physical strokes,
// the replacement's own keys pass it by.
TEST(DesktopKeyboardMonitor, HearsTypedStrokesAndNotTheReplacement) {
    SimulatedDesktop desktop;
    ManualClock clock;
    ManualMainQueue queue(clock);
    ASSERT_TRUE(desktop.inputSources().addKeyboardLayout("xkb:us"));
    ASSERT_TRUE(desktop.inputSources().addKeyboardLayout("xkb:ru"));
    desktop.inputSources().setCurrentSourceId("xkb:us");
    auto slack = desktop.launch("com.tinyspeck.slackmacgap", "Slack", 12);
    desktop.activate(12);
    auto field = desktop.addFocusedTextField(*slack, "");
    auto monitor = KeyboardEventMonitor::create(desktop.keyEventTapFactory(), queue, [] {
        return KeyboardEventMonitor::Shortcuts{ShortcutDefinition::optionSpace(),
                                               ShortcutDefinition::optionShiftSpace(),
                                               ShortcutDefinition::optionCommandP()};
    });
    std::vector<PhysicalKeyStroke> strokes;
    std::string typed;
    monitor->onStroke = [&](const std::string& text, const PhysicalKeyStroke& stroke) {
        typed += text;
        strokes.push_back(stroke);
    };
    monitor->start();

    ASSERT_TRUE(desktop.typeText("ghbdtn "));
    FocusedElementService focus(desktop.accessibility(), desktop.workspace());
    SyntheticKeyboardService keyboard(desktop.eventPoster());
    ReentrancyGuard guard;
    TextReplacementService service(focus, keyboard, guard);
    EXPECT_EQ(service.replace({"ghbdtn", "привет", " "}).method,
              TextReplacementMethod::syntheticKeyboard);
    desktop.inputSources().setCurrentSourceId("xkb:ru");
    ASSERT_TRUE(desktop.typeText("мир"));
    queue.runUntilIdle();
    EXPECT_EQ(field->text(), "привет мир");
    EXPECT_EQ(typed, "ghbdtn мир");
    EXPECT_EQ(strokes.size(), 10u);
    EXPECT_EQ(strokes[7], PhysicalKeyStroke(9, 0));  // "м" on the key of "v"
}

TEST(DesktopKeyboardMonitor, NeedsInputMonitoringForItsTap) {
    SimulatedDesktop desktop;
    ManualClock clock;
    ManualMainQueue queue(clock);
    auto monitor = KeyboardEventMonitor::create(desktop.keyEventTapFactory(), queue,
                                                [] { return KeyboardEventMonitor::Shortcuts{}; });
    desktop.permissions().setInputMonitoringGranted(false);
    EXPECT_THROW(monitor->start(), KeyboardEventMonitor::StartError);
    desktop.permissions().setInputMonitoringGranted(true);
    EXPECT_NO_THROW(monitor->start());
    EXPECT_TRUE(desktop.keyEventTapFactory().isTapEnabled());
}

}  // namespace
}  // namespace plovik
