// Plovik on a private X11 session against the GTK fixture: the time from a delimiter
// key's press to the corrected word in the GTK entry, beyond the 35 ms scheduling delay,
// and the processor time `plovik --headless` uses while idle for a minute.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <thread>
#include <vector>

#include "app/coordinator/AppCoordinator.h"
#include "platform/virtualsession/VirtualSession.h"
#include "tests/support/rehearsal/DesktopRehearsal.h"
#include "tests/support/rehearsal/FixtureLines.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kSpaceKey = 65;

// One session, window and Plovik for every benchmark of the run.
struct Desktop {
    Desktop()
        : rehearsal(session, options()),
          window(session.launch(PLOVIK_BUILD_DIR "/tests/fixtures/plovik-fixture-gtk", {}, true)),
          lines(window) {
        if (!lines.waitFor("ready", 15s) || !rehearsal.startPlovik()) {
            throw std::runtime_error("the desktop did not come up: " + rehearsal.log());
        }
        // AT-SPI reports focus changes: the focus moves once after Plovik starts.
        lines.send("focus multi");
        lines.send("focus single");
        lines.waitFor("focused single", 5s);
        std::this_thread::sleep_for(300ms);
    }
    static plovik::DesktopRehearsal::Options options() {
        plovik::DesktopRehearsal::Options options;
        options.plovik = PLOVIK_BUILD_DIR "/app/plovik";
        // The layout stays US, so that every word is typed the same way.
        options.applications.push_back(
            plovik::DesktopRehearsal::enabled("org.plovik.FixtureGtk", "GTK fixture", false));
        return options;
    }

    plovik::VirtualSession session;
    plovik::DesktopRehearsal rehearsal;
    plovik::ChildProcess window;
    plovik::FixtureLines lines;
};

Desktop& desktop() {
    static Desktop instance;
    return instance;
}

double percentile(std::vector<double> samples, double fraction) {
    std::sort(samples.begin(), samples.end());
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(samples.size() - 1));
    return samples[index];
}

void BM_DelimiterToCorrectedGtkText(benchmark::State& state) {
    auto& d = desktop();
    std::vector<double> beyondDelay;
    for (auto _ : state) {
        d.lines.send("set single ");
        d.lines.waitFor("set single", 3s);
        d.rehearsal.typeKeys("ghbdtn");
        std::this_thread::sleep_for(50ms);
        const auto pressed = Clock::now();
        d.rehearsal.pressKey(kSpaceKey);
        while (d.lines.text("single") != "привет " && Clock::now() - pressed < 5s) {
        }
        const std::chrono::duration<double> elapsed =
            std::chrono::duration<double>(Clock::now() - pressed) -
            std::chrono::duration<double>(plovik::AppCoordinator::kAutomaticCorrectionDelay);
        beyondDelay.push_back(elapsed.count() * 1000.0);
        state.SetIterationTime(std::max(elapsed.count(), 0.0));
    }
    state.counters["median_ms"] = percentile(beyondDelay, 0.5);
    state.counters["p95_ms"] = percentile(beyondDelay, 0.95);
}
BENCHMARK(BM_DelimiterToCorrectedGtkText)
    ->UseManualTime()
    ->Iterations(60)
    ->Unit(benchmark::kMillisecond);

double processorSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string contents((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // Fields after the command's closing parenthesis; utime and stime are the 12th and 13th.
    std::istringstream fields(contents.substr(contents.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int index = 0; fields >> field; ++index) {
        if (index == 11 || index == 12) {
            ticks += std::stod(field);
        }
    }
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

void BM_HeadlessIdleProcessorTimePerMinute(benchmark::State& state) {
    auto& d = desktop();
    const pid_t pid = d.rehearsal.plovik()->pid();
    for (auto _ : state) {
        const double before = processorSeconds(pid);
        std::this_thread::sleep_for(60s);
        state.counters["cpu_s"] = processorSeconds(pid) - before;
    }
}
BENCHMARK(BM_HeadlessIdleProcessorTimePerMinute)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
