// One key press from the tap to the token buffer: the monitor classifies the event,
// the main queue runs the posted callback, and the buffer consumes the characters.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "core/capture/KeyboardEventMonitor.h"
#include "core/tokens/CurrentTokenBuffer.h"
#include "platform/simulated/SimulatedKeyCaptureFactory.h"
#include "platform/simulated/SimulatedMainQueue.h"

namespace {

using namespace plovik;

// "ghbdtn vbh, rfr ltkf? " as US key presses: words, spaces and punctuation.
std::vector<KeyEvent> sentence() {
    const std::vector<std::pair<Key, std::string>> keys{
        {Key::g, "g"},     {Key::h, "h"},     {Key::b, "b"}, {Key::d, "d"}, {Key::t, "t"},
        {Key::n, "n"},     {Key::space, " "}, {Key::v, "v"}, {Key::b, "b"}, {Key::h, "h"},
        {Key::comma, ","}, {Key::space, " "}, {Key::r, "r"}, {Key::f, "f"}, {Key::r, "r"},
        {Key::space, " "}, {Key::l, "l"},     {Key::t, "t"}, {Key::k, "k"}, {Key::f, "f"},
        {Key::slash, "?"}, {Key::space, " "}};
    std::vector<KeyEvent> events;
    for (const auto& [key, text] : keys) {
        KeyEvent event;
        event.key = key;
        event.text = text;
        events.push_back(event);
    }
    return events;
}

struct Pipeline {
    SimulatedClock clock;
    SimulatedMainQueue queue{clock};
    SimulatedKeyCaptureFactory taps;
    CurrentTokenBuffer buffer{64};
    std::shared_ptr<KeyboardEventMonitor> monitor;
    std::size_t completions = 0;

    explicit Pipeline(bool feedBuffer) {
        monitor = KeyboardEventMonitor::create(taps, queue, [] {
            return KeyboardEventMonitor::Shortcuts{
                ShortcutDefinition::altSpace(), ShortcutDefinition::altShiftSpace(),
                ShortcutDefinition::altSuperP(), ShortcutDefinition::altSuperC()};
        });
        if (feedBuffer) {
            monitor->onStroke = [this](const std::string& text, const PhysicalKeyStroke& stroke,
                                       KeyPressNumber) {
                completions += buffer.consume(text, stroke).size();
            };
        }
        monitor->shouldDeferReturn = [this] { return !buffer.currentToken().empty(); };
        monitor->start();
    }

    void run(benchmark::State& state) {
        const auto events = sentence();
        std::size_t next = 0;
        for (auto _ : state) {
            benchmark::DoNotOptimize(taps.deliver(events[next]));
            queue.runUntilIdle();
            next = next + 1 == events.size() ? 0 : next + 1;
        }
        benchmark::DoNotOptimize(completions);
        state.SetItemsProcessed(state.iterations());
    }
};

void BM_KeyPressThroughMonitorIntoBuffer(benchmark::State& state) {
    Pipeline pipeline(true);
    pipeline.run(state);
}
BENCHMARK(BM_KeyPressThroughMonitorIntoBuffer);

void BM_KeyPressThroughMonitorOnly(benchmark::State& state) {
    Pipeline pipeline(false);
    pipeline.run(state);
}
BENCHMARK(BM_KeyPressThroughMonitorOnly);

}  // namespace
