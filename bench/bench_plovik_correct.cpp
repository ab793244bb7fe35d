// Throughput of the correction as plovik-correct runs it: text typed key by key, every
// finished word decided by the engine with candidates from the input source service.
#include <benchmark/benchmark.h>

#include <string>
#include <variant>

#include "app/workbench/CorrectionWorkbench.h"

namespace plovik {
namespace {

// Russian typed under US (every word needs a decision and most a correction) and English
// typed correctly (every word is judged and kept).
constexpr const char* kWrongLayoutLine =
    "ghbdtn vbh nfr rfr ,sdftn d nt lyb rjulf vs yt pyftv xnj ltkfnm b rel blnb\n";
constexpr const char* kRightLayoutLine =
    "the quick brown fox jumps over the lazy dog while we wait for the morning train\n";

std::unique_ptr<CorrectionWorkbench> workbench() {
    auto created = CorrectionWorkbench::create({{"xkb:us", "xkb:ru"}, "xkb:us", std::nullopt});
    return std::move(std::get<std::unique_ptr<CorrectionWorkbench>>(created));
}

void typeLines(benchmark::State& state, const std::string& line) {
    auto bench = workbench();
    auto replayer = bench->makeReplayer({bench->typedInLayout(), 0.9, false, "bench"});
    const auto words = static_cast<std::int64_t>(std::count(line.begin(), line.end(), ' ') + 1);
    replayer->type(line);  // dictionaries load on first use
    replayer->takeText();
    for (auto _ : state) {
        replayer->type(line);
        benchmark::DoNotOptimize(replayer->takeText());
    }
    state.SetItemsProcessed(state.iterations() * words);
}

void BM_TypeWrongLayoutWords(benchmark::State& state) {
    typeLines(state, kWrongLayoutLine);
}
BENCHMARK(BM_TypeWrongLayoutWords)->Unit(benchmark::kMicrosecond);

void BM_TypeRightLayoutWords(benchmark::State& state) {
    typeLines(state, kRightLayoutLine);
}
BENCHMARK(BM_TypeRightLayoutWords)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace plovik
