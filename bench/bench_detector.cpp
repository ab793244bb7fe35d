// Plausibility of one six-letter word that the built-in lists lack, so every call also
// asks the Enchant spell checker (dictionaries loaded before timing starts).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "core/decision/OfflineLanguageDetector.h"
#include "platform/linux/EnchantSpellChecker.h"
#include "platform/simulated/SimulatedClock.h"
#include "platform/simulated/SimulatedMainQueue.h"

namespace {

void measurePlausibility(benchmark::State& state, const std::string& word,
                         const plovik::KeyboardLayout& layout, const char* tag) {
    plovik::SimulatedClock clock;
    plovik::SimulatedMainQueue queue(clock);
    plovik::EnchantSpellChecker checker;
    const auto languages = checker.availableLanguages();
    if (std::ranges::find(languages, tag) == languages.end()) {
        state.SkipWithError("hunspell dictionary missing; run scripts/install-deps.sh");
        return;
    }
    const plovik::OfflineLanguageDetector detector(checker, queue);
    if (!detector.plausibility(word, layout).isDictionaryMatch) {
        state.SkipWithError("the dictionary does not know the word");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(detector.plausibility(word, layout));
    }
}

void BM_PlausibilityRussianWord(benchmark::State& state) {
    measurePlausibility(state, "машина", plovik::KeyboardLayout::russian(), "ru_RU");
}
BENCHMARK(BM_PlausibilityRussianWord);

void BM_PlausibilityEnglishWord(benchmark::State& state) {
    measurePlausibility(state, "planet", plovik::KeyboardLayout::english(), "en_US");
}
BENCHMARK(BM_PlausibilityEnglishWord);

}  // namespace
