// Plovik on a private GNOME Wayland session through its IBus engines, against the GTK 3
// fixture as a Wayland client: the time from Space's press to the corrected word in the
// entry (in all, and beyond the 35 ms scheduling delay), and the memory and idle processor
// time of the engine program and of `plovik --headless`.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "app/coordinator/AppCoordinator.h"
#include "tests/support/rehearsal/DesktopRehearsal.h"
#include "tests/support/rehearsal/FixtureLines.h"
#include "tests/support/rehearsal/GnomeRehearsal.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

plovik::GnomeRehearsal::Options options() {
    plovik::GnomeRehearsal::Options options;
    options.plovik = PLOVIK_BUILD_DIR "/app/plovik";
    options.componentDirectory = PLOVIK_BUILD_DIR "/framework/ibus/component";
    options.extension = PLOVIK_BUILD_DIR "/framework/gnome-shell/43/plovik@plovik.github.io";
    // The layout stays US, so that every word is typed the same way.
    options.applications.push_back(
        plovik::DesktopRehearsal::enabled("org.plovik.FixtureGtk", "GTK fixture", false));
    return options;
}

// One session, window and Plovik for every benchmark of the run.
struct Desktop {
    Desktop()
        : rehearsal(options()),
          window(rehearsal.launchWayland(PLOVIK_BUILD_DIR "/tests/fixtures/plovik-fixture-gtk")),
          lines(window) {
        if (!lines.waitFor("ready", 15s) || !rehearsal.startPlovik()) {
            throw std::runtime_error("the desktop did not come up: " + rehearsal.log());
        }
        lines.send("focus single");
        if (!lines.waitFor("focused single", 5s)) {
            throw std::runtime_error("the entry did not get the focus");
        }
        std::this_thread::sleep_for(300ms);
    }

    plovik::GnomeRehearsal rehearsal;
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

void BM_SpaceToCorrectedGtk3WaylandText(benchmark::State& state) {
    auto& d = desktop();
    std::vector<double> total;
    std::vector<double> beyondDelay;
    int uncorrected = 0;
    const double delay =
        std::chrono::duration<double, std::milli>(plovik::AppCoordinator::kAutomaticCorrectionDelay)
            .count();
    for (auto _ : state) {
        d.lines.send("set single ");
        d.lines.waitFor("set single", 3s);
        d.rehearsal.keyboard().type("ghbdtn", 20ms);
        std::this_thread::sleep_for(100ms);
        const auto pressed = Clock::now();
        d.rehearsal.keyboard().tap(plovik::Key::space);
        while (d.lines.text("single") != "привет " && Clock::now() - pressed < 5s) {
        }
        const double elapsed =
            std::chrono::duration<double, std::milli>(Clock::now() - pressed).count();
        state.SetIterationTime(elapsed / 1000.0);
        // A correction given up (the word left as typed) is counted apart.
        if (d.lines.text("single") != "привет ") {
            ++uncorrected;
            continue;
        }
        total.push_back(elapsed);
        beyondDelay.push_back(elapsed - delay);
    }
    state.counters["uncorrected"] = uncorrected;
    if (total.empty()) {
        return;
    }
    state.counters["median_ms"] = percentile(total, 0.5);
    state.counters["p95_ms"] = percentile(total, 0.95);
    state.counters["beyond_delay_median_ms"] = percentile(beyondDelay, 0.5);
    state.counters["beyond_delay_p95_ms"] = percentile(beyondDelay, 0.95);
}
BENCHMARK(BM_SpaceToCorrectedGtk3WaylandText)
    ->UseManualTime()
    ->Iterations(60)
    ->Unit(benchmark::kMillisecond);

std::string readFile(const std::string& path) {
    std::ifstream file(path);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

double processorSeconds(pid_t pid) {
    const std::string contents = readFile("/proc/" + std::to_string(pid) + "/stat");
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

double residentMegabytes(pid_t pid) {
    std::istringstream status(readFile("/proc/" + std::to_string(pid) + "/status"));
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:")) {
            return std::stod(line.substr(6)) / 1024.0;
        }
    }
    return 0;
}

// The engine program IBus started for the session (one runs at a time here).
pid_t engineProcess() {
    DIR* proc = ::opendir("/proc");
    pid_t found = 0;
    while (dirent* entry = proc ? ::readdir(proc) : nullptr) {
        const std::string name = entry->d_name;
        if (name.find_first_not_of("0123456789") == std::string::npos &&
            readFile("/proc/" + name + "/cmdline").find("plovik-ibus-engine") !=
                std::string::npos) {
            found = static_cast<pid_t>(std::stol(name));
        }
    }
    if (proc) {
        ::closedir(proc);
    }
    return found;
}

void BM_IdleProcessorTimePerMinuteAndMemory(benchmark::State& state) {
    auto& d = desktop();
    const pid_t engine = engineProcess();
    const pid_t plovik = d.rehearsal.plovik()->pid();
    if (engine == 0) {
        state.SkipWithError("no engine program runs");
        return;
    }
    for (auto _ : state) {
        const double engineBefore = processorSeconds(engine);
        const double plovikBefore = processorSeconds(plovik);
        std::this_thread::sleep_for(60s);
        state.counters["engine_cpu_s"] = processorSeconds(engine) - engineBefore;
        state.counters["plovik_cpu_s"] = processorSeconds(plovik) - plovikBefore;
    }
    state.counters["engine_rss_mb"] = residentMegabytes(engine);
    state.counters["plovik_rss_mb"] = residentMegabytes(plovik);
}
BENCHMARK(BM_IdleProcessorTimePerMinuteAndMemory)->Iterations(1)->Unit(benchmark::kSecond);

// The longest the engine held the user's keys during an edit, as Plovik logs it when it
// stops: "held N times for corrections: median A ms, 99th percentile B ms, longest C ms".
void BM_KeysHeldByTheEngineDuringEdits(benchmark::State& state) {
    auto& d = desktop();
    for (auto _ : state) {
        d.rehearsal.stopPlovik();
    }
    const std::string log = d.rehearsal.log();
    const std::regex line(
        "held ([0-9]+) times for corrections: median ([0-9.]+) ms, 99th percentile ([0-9.]+) "
        "ms, longest ([0-9.]+) ms");
    std::smatch found;
    if (!std::regex_search(log, found, line)) {
        state.SkipWithError("Plovik logged no holds");
        return;
    }
    state.counters["edits"] = std::stod(found[1]);
    state.counters["median_ms"] = std::stod(found[2]);
    state.counters["p99_ms"] = std::stod(found[3]);
    state.counters["longest_ms"] = std::stod(found[4]);
}
BENCHMARK(BM_KeysHeldByTheEngineDuringEdits)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
