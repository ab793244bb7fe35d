// Plovik on a private sway session through Fcitx5 and its module, against the GTK fixture on
// Wayland's own text-input path: the time from a delimiter key's press to the corrected word
// in the GTK entry (the 35 ms scheduling delay included), how long the module holds a key
// for Plovik's answer, and the processor time Plovik and Fcitx5 use while idle.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>
#include <vector>

#include "app/coordinator/AppCoordinator.h"
#include "platform/virtualsession/WaylandSession.h"
#include "tests/support/rehearsal/DesktopRehearsal.h"
#include "tests/support/rehearsal/FixtureLines.h"
#include "tests/support/rehearsal/WaylandRehearsal.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

plovik::WaylandSessionOptions sessionOptions(const std::string& holdTimes) {
    plovik::WaylandSessionOptions options;
    options.moduleFolder = PLOVIK_BUILD_DIR "/framework/fcitx5/addon";
    options.moduleDataFolder = PLOVIK_BUILD_DIR "/framework/fcitx5/data";
    options.fcitx5Environment = {"PLOVIK_FCITX5_HOLD_TIMES=" + holdTimes};
    return options;
}

// One session, window and Plovik for every benchmark of the run.
struct Desktop {
    Desktop()
        : holdTimes("/tmp/plovik-bench-hold-times-" + std::to_string(::getpid())),
          session(sessionOptions(holdTimes)),
          rehearsal(session, options()),
          window(session.launch(PLOVIK_BUILD_DIR "/tests/fixtures/plovik-fixture-gtk", {},
                                {"GDK_BACKEND=wayland"}, true)),
          lines(window) {
        if (!lines.waitFor("ready", 15s) || !rehearsal.startPlovik()) {
            throw std::runtime_error("the desktop did not come up: " + rehearsal.log());
        }
        lines.send("focus single");
        lines.waitFor("focused single", 5s);
        std::this_thread::sleep_for(300ms);
    }
    ~Desktop() { std::remove(holdTimes.c_str()); }
    static plovik::WaylandRehearsal::Options options() {
        plovik::WaylandRehearsal::Options options;
        options.plovik = PLOVIK_BUILD_DIR "/app/plovik";
        options.keyboardProgram = PLOVIK_BUILD_DIR "/tests/fixtures/plovik-virtual-keyboard";
        // The layout stays US, so that every word is typed the same way.
        options.applications.push_back(
            plovik::DesktopRehearsal::enabled("org.plovik.FixtureGtk", "GTK fixture", false));
        return options;
    }

    std::string holdTimes;
    plovik::WaylandSession session;
    plovik::WaylandRehearsal rehearsal;
    plovik::ChildProcess window;
    plovik::FixtureLines lines;
};

Desktop& desktop() {
    static Desktop instance;
    return instance;
}

double percentile(std::vector<double> samples, double fraction) {
    if (samples.empty()) {
        return 0;
    }
    std::sort(samples.begin(), samples.end());
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(samples.size() - 1));
    return samples[index];
}

void BM_DelimiterToCorrectedGtkTextOnSway(benchmark::State& state) {
    auto& d = desktop();
    std::vector<double> total;
    std::vector<double> corrected;
    for (auto _ : state) {
        d.lines.send("set single ");
        d.lines.waitFor("set single", 3s);
        // Setting the text resets GTK's input method context, and the compositor hands the
        // keyboard back to Fcitx5 a moment later; keys typed before that bypass it.
        std::this_thread::sleep_for(250ms);
        d.rehearsal.typeKeys("ghbdtn");
        std::this_thread::sleep_for(50ms);
        const auto pressed = Clock::now();
        d.rehearsal.pressKey(plovik::Key::space);
        while (d.lines.text("single") != "привет " && Clock::now() - pressed < 5s) {
        }
        const std::chrono::duration<double> elapsed = Clock::now() - pressed;
        total.push_back(elapsed.count() * 1000.0);
        // A correction given up leaves the word as typed and runs into the 5 s limit.
        if (elapsed < 5s) {
            corrected.push_back(elapsed.count() * 1000.0);
        }
        state.SetIterationTime(elapsed.count());
    }
    const double delay = plovik::AppCoordinator::kAutomaticCorrectionDelay.count();
    state.counters["median_ms"] = percentile(total, 0.5);
    state.counters["p95_ms"] = percentile(total, 0.95);
    state.counters["beyond_delay_median_ms"] = percentile(total, 0.5) - delay;
    state.counters["given_up"] = static_cast<double>(total.size() - corrected.size());
    state.counters["corrected_p95_ms"] = percentile(corrected, 0.95);
}
BENCHMARK(BM_DelimiterToCorrectedGtkTextOnSway)
    ->UseManualTime()
    ->Iterations(60)
    ->Unit(benchmark::kMillisecond);

// Returns in the multi-line area, half of them after a word to correct (held back, then
// posted), half after a correct one (let go at once); every one waits in the module.
void BM_ModuleHoldsAReturn(benchmark::State& state) {
    auto& d = desktop();
    d.lines.send("focus multi");
    d.lines.waitFor("focused multi", 5s);
    int returns = 0;
    for (auto _ : state) {
        d.lines.send("set multi ");
        d.lines.waitFor("set multi", 3s);
        d.rehearsal.typeKeys(returns % 2 == 0 ? "ghbdtn\n" : "hello\n", 20ms);
        ++returns;
        std::this_thread::sleep_for(150ms);
    }
    std::ifstream file(d.holdTimes);
    std::vector<double> held;
    for (double microseconds = 0; file >> microseconds;) {
        held.push_back(microseconds / 1000.0);
    }
    state.counters["holds"] = static_cast<double>(held.size());
    state.counters["median_ms"] = percentile(held, 0.5);
    state.counters["p99_ms"] = percentile(held, 0.99);
    state.counters["max_ms"] = held.empty() ? 0 : *std::max_element(held.begin(), held.end());
    d.lines.send("focus single");
    d.lines.waitFor("focused single", 5s);
}
BENCHMARK(BM_ModuleHoldsAReturn)->Iterations(100)->Unit(benchmark::kMillisecond);

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

void BM_IdleProcessorTimePerMinute(benchmark::State& state) {
    auto& d = desktop();
    const pid_t plovik = d.rehearsal.plovik()->pid();
    const pid_t fcitx5 = d.session.inputMethodProcess();
    for (auto _ : state) {
        const double plovikBefore = processorSeconds(plovik);
        const double fcitx5Before = processorSeconds(fcitx5);
        std::this_thread::sleep_for(60s);
        state.counters["plovik_cpu_s"] = processorSeconds(plovik) - plovikBefore;
        state.counters["fcitx5_cpu_s"] = processorSeconds(fcitx5) - fcitx5Before;
    }
}
BENCHMARK(BM_IdleProcessorTimePerMinute)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
