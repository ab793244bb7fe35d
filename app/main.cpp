// For now the program replays one recorded typing session through the simulated
// desktop's key tap, the keyboard event monitor and the token buffer, and prints
// the words it finished.
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/capture/KeyboardEventMonitor.h"
#include "core/support/ManualMainQueue.h"
#include "core/tokens/CurrentTokenBuffer.h"
#include "platform/simulated/SimulatedKeyEventTapFactory.h"

namespace {

using namespace plovik;

// "ghbdtn vbh" and Return, as US key presses: what "привет мир" gives on the wrong layout.
std::vector<KeyEvent> recordedTyping() {
    const std::vector<std::pair<std::uint16_t, std::string>> keys{
        {5, "g"},  {4, "h"}, {11, "b"}, {2, "d"}, {17, "t"}, {45, "n"},
        {49, " "}, {9, "v"}, {11, "b"}, {4, "h"}, {36, "\r"}};
    std::vector<KeyEvent> events;
    for (const auto& [keyCode, characters] : keys) {
        KeyEvent event;
        event.keyCode = keyCode;
        event.characters = characters;
        events.push_back(event);
    }
    return events;
}

std::string visible(const std::string& text) {
    if (text == "\r") {
        return "\\r";
    }
    return text == " " ? "space" : text;
}

std::string keyCodes(const std::vector<PhysicalKeyStroke>& strokes) {
    std::ostringstream out;
    for (const auto& stroke : strokes) {
        out << (out.tellp() > 0 ? " " : "") << stroke.keyCode;
    }
    return "[" + out.str() + "]";
}

}  // namespace

int main() {
    ManualClock clock;
    ManualMainQueue queue(clock);
    SimulatedKeyEventTapFactory taps;
    CurrentTokenBuffer buffer(64);
    auto monitor = KeyboardEventMonitor::create(taps, queue, [] {
        return KeyboardEventMonitor::Shortcuts{ShortcutDefinition::optionSpace(),
                                               ShortcutDefinition::optionShiftSpace(),
                                               ShortcutDefinition::optionCommandP()};
    });
    monitor->onStroke = [&](const std::string& text, const PhysicalKeyStroke& stroke) {
        for (const auto& completion : buffer.consume(text, stroke)) {
            std::cout << "  \"" << completion.token << "\" ended by "
                      << visible(completion.delimiter) << ", strokes "
                      << keyCodes(completion.physicalStrokes) << ", delimiter strokes "
                      << keyCodes(completion.delimiterStrokes) << "\n";
        }
    };
    try {
        monitor->start();
    } catch (const KeyboardEventMonitor::StartError& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
    std::cout << "Plovik: replaying \"ghbdtn vbh\" and Return through the keyboard event "
                 "monitor\n";
    for (const KeyEvent& event : recordedTyping()) {
        taps.deliver(event);
        queue.runUntilIdle();
    }
    return 0;
}
