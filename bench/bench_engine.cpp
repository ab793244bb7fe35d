// One automatic decision per finished word, as the coordinator asks for it 35 ms after the
// word ends: candidates from the other layouts, the offline detector over the real Enchant
// dictionaries, optionally a full in-memory history.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "core/decision/EngineFactory.h"
#include "core/decision/StandardEngine.h"
#include "core/history/InMemoryCorrectionHistoryStore.h"
#include "core/support/Uuid.h"
#include "platform/linux/EnchantSpellChecker.h"
#include "platform/simulated/SimulatedClock.h"
#include "platform/simulated/SimulatedMainQueue.h"

namespace {

using namespace plovik;

const KeyboardLayout kEnglish = KeyboardLayout::english();
const KeyboardLayout kRussian = KeyboardLayout::russian();
const KeyboardLayout kUkrainian{"xkb:ua", "Ukrainian", {"uk"}};
const KeyboardLayout kBelarusian{"xkb:by", "Belarusian", {"be"}};

struct Word {
    std::string token;
    std::vector<LayoutConversionCandidate> candidates;
};

// A wrong-layout word and a correctly typed one, as the key maps re-read them.
std::vector<Word> words(bool fourLayouts) {
    std::vector<Word> result{
        {"ghbdtn", {{kRussian, "привет", " "}}},
        {"people", {{kRussian, "зущзду", " "}}},
    };
    if (fourLayouts) {
        result[0].candidates.push_back({kUkrainian, "привет", " "});
        result[0].candidates.push_back({kBelarusian, "прівет", " "});
        result[1].candidates.push_back({kUkrainian, "зущзду", " "});
        result[1].candidates.push_back({kBelarusian, "зўщзду", " "});
    }
    return result;
}

std::vector<CorrectionRecord> fullHistory() {
    std::vector<CorrectionRecord> records;
    for (int i = 0; i < 500; ++i) {
        records.push_back({Uuid::random(), "ghbdtn" + std::to_string(i), "привет",
                           "org.example.Chat", CorrectionOutcome::accepted, 1000.0 + i});
    }
    return records;
}

void automaticDecision(benchmark::State& state, bool fourLayouts, bool withHistory) {
    SimulatedClock clock;
    SimulatedMainQueue queue(clock);
    EnchantSpellChecker checker;
    InMemoryCorrectionHistoryStore history(withHistory ? fullHistory()
                                                       : std::vector<CorrectionRecord>{});
    const auto standard =
        EngineFactory(checker, queue, withHistory ? &history : nullptr).standard();
    const StandardEngine& engine = *standard;
    const auto batch = words(fourLayouts);
    // Dictionaries load on first use; that belongs to start-up, not to a word.
    for (const auto& word : batch) {
        engine.automaticDecision(word.token, "", "org.example.Chat", kEnglish, word.candidates,
                                 0.8);
    }
    std::size_t index = 0;
    for (auto _ : state) {
        const auto& word = batch[index++ % batch.size()];
        benchmark::DoNotOptimize(engine.automaticDecision(word.token, "hello ", "org.example.Chat",
                                                          kEnglish, word.candidates, 0.8));
    }
}

void BM_AutomaticDecisionTwoLayouts(benchmark::State& state) {
    automaticDecision(state, false, false);
}
void BM_AutomaticDecisionFourLayouts(benchmark::State& state) {
    automaticDecision(state, true, false);
}
void BM_AutomaticDecisionFourLayoutsFullHistory(benchmark::State& state) {
    automaticDecision(state, true, true);
}

BENCHMARK(BM_AutomaticDecisionTwoLayouts)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AutomaticDecisionFourLayouts)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AutomaticDecisionFourLayoutsFullHistory)->Unit(benchmark::kMicrosecond);

}  // namespace
