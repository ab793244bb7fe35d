// Scoring runs once per candidate correction against the whole (500-record) history.
#include <benchmark/benchmark.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/history/FileCorrectionHistoryStore.h"
#include "core/history/HistoryFileFormat.h"
#include "core/history/InMemoryCorrectionHistoryStore.h"
#include "platform/simulated/SimulatedClock.h"

namespace plovik {
namespace {

constexpr std::array<std::pair<const char*, const char*>, 10> kPairs{{
    {"ghbdtn", "привет"},
    {"Ntcn", "Тест"},
    {"ljhjuf", "дорога"},
    {"vfibyf", "машина"},
    {"ыщьу", "some"},
    {"руддщ", "hello"},
    {"RFR", "КАК"},
    {"ctujlyz", "сегодня"},
    {"цщкдв", "world"},
    {"pfdnhf", "завтра"},
}};

// One application, as for a user who types mostly in one place: no record is skipped by
// its application, so every token pair is compared.
std::vector<CorrectionRecord> history(int count) {
    std::vector<CorrectionRecord> records;
    for (int i = 0; i < count; ++i) {
        const auto& [original, corrected] = kPairs[static_cast<std::size_t>(i) % kPairs.size()];
        const auto outcome = i % 7 == 0 ? CorrectionOutcome::undone : CorrectionOutcome::accepted;
        records.push_back({Uuid::random(), original, corrected, "org.telegram.desktop", outcome,
                           786729600.0 + i});
    }
    return records;
}

void BM_ConfidenceAdjustment500(benchmark::State& state) {
    const InMemoryCorrectionHistoryStore store(history(500));
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            store.confidenceAdjustment("GHBDTN", "Привет", "org.telegram.desktop"));
    }
}
BENCHMARK(BM_ConfidenceAdjustment500)->Unit(benchmark::kMicrosecond);

// Every append rewrites the whole file (encode, write, fsync, rename).
void BM_FileStoreAppendAt500(benchmark::State& state) {
    const auto folder = std::filesystem::temp_directory_path() / "plovik-bench-history";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "correction-history.json") << *HistoryFileFormat::encode(history(500));
    SimulatedClock clock;
    FileCorrectionHistoryStore store(folder / "correction-history.json", 500, clock);
    const auto added = history(1).front();
    for (auto _ : state) {
        store.append(added);
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_FileStoreAppendAt500)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace plovik
