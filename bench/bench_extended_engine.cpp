// The extended engine's decision for one finished run of keys, with every enabled layout's
// reading, over the real Enchant dictionaries and the shipped language data; how long loading
// that data takes, and what loading it and building the engine adds to the program's memory.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>
#include <string>
#include <vector>

#include "core/decision/EngineFactory.h"
#include "core/decision/ExtendedEngine.h"
#include "core/decision/LanguageDataDirectory.h"
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

// Typed under US with Russian, Ukrainian and Belarusian enabled (Belarusian has no language
// data, so its reading goes to the standard scoring): a wrong-layout word with punctuation
// keys, one of letters only, and an English word typed right.
std::vector<Word> words() {
    return {
        {"j,kfcnm,",
         {{kRussian, "областьб", " "},
          {kUkrainian, "областьб", " "},
          {kBelarusian, "областьб", " "}}},
        {"ghbdtn",
         {{kRussian, "привет", " "}, {kUkrainian, "привет", " "}, {kBelarusian, "прівет", " "}}},
        {"people,",
         {{kRussian, "зущздуб", " "}, {kUkrainian, "зущздуб", " "}, {kBelarusian, "зўщздуб", " "}}},
    };
}

// The argument is how many scored words the engine remembers: 1 makes every word a new one,
// as a word typed for the first time; the application's default remembers these three.
void BM_ExtendedDecisionFourLayouts(benchmark::State& state) {
    SimulatedClock clock;
    SimulatedMainQueue queue(clock);
    EnchantSpellChecker checker;
    const auto directory = LanguageDataDirectory::locate();
    if (!directory) {
        state.SkipWithError("no language data");
        return;
    }
    const auto extended = EngineFactory(checker, queue, nullptr)
                              .extended(ExtendedEngine::loadLanguageModels(*directory),
                                        static_cast<std::size_t>(state.range(0)));
    const ExtendedEngine& engine = *extended;
    const auto batch = words();
    // Dictionaries load on first use; that belongs to start-up, not to a word.
    for (const auto& word : batch) {
        engine.automaticDecision(word.token, "", "org.example.Chat", kEnglish, word.candidates,
                                 0.9);
    }
    std::size_t index = 0;
    for (auto _ : state) {
        const auto& word = batch[index++ % batch.size()];
        benchmark::DoNotOptimize(engine.automaticDecision(word.token, "hello ", "org.example.Chat",
                                                          kEnglish, word.candidates, 0.9));
    }
}

// Heap bytes in use after loading the three languages and building the engine, less before.
void BM_ExtendedEngineMemoryGrowth(benchmark::State& state) {
    SimulatedClock clock;
    SimulatedMainQueue queue(clock);
    EnchantSpellChecker checker;
    const auto directory = LanguageDataDirectory::locate();
    if (!directory) {
        state.SkipWithError("no language data");
        return;
    }
    double growth = 0;
    for (auto _ : state) {
        const auto before = mallinfo2().uordblks;
        auto engine = EngineFactory(checker, queue, nullptr)
                          .extended(ExtendedEngine::loadLanguageModels(*directory));
        growth = static_cast<double>(mallinfo2().uordblks - before);
        benchmark::DoNotOptimize(engine);
    }
    state.counters["heap_MB"] = growth / (1024.0 * 1024.0);
}

// Reading and indexing the three languages' files, as the program does once at start-up.
void BM_LanguageModelsLoad(benchmark::State& state) {
    const auto directory = LanguageDataDirectory::locate();
    if (!directory) {
        state.SkipWithError("no language data");
        return;
    }
    for (auto _ : state) {
        auto models = ExtendedEngine::loadLanguageModels(*directory);
        if (models.size() != 3) {
            state.SkipWithError("a language's data did not load");
            return;
        }
        benchmark::DoNotOptimize(models);
    }
}

BENCHMARK(BM_ExtendedDecisionFourLayouts)
    ->Arg(1)
    ->Arg(WordLikelihood::kDefaultRememberedWords)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LanguageModelsLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtendedEngineMemoryGrowth)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
