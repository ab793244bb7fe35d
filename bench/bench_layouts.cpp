// Re-reading a finished word's strokes through the other enabled layouts, which
// runs once per completed word.
#include <benchmark/benchmark.h>

#include "core/layouts/EnglishRussianLayoutMapper.h"
#include "core/layouts/InputSourceService.h"
#include "core/layouts/TypingSimulator.h"
#include "platform/linux/XkbKeymapLibrary.h"
#include "platform/simulated/SimulatedInputSources.h"

namespace plovik {
namespace {

void BM_ConversionCandidatesSixLettersFourLayouts(benchmark::State& state) {
    XkbKeymapLibrary library;
    SimulatedInputSources sources(library);
    for (const char* id : {"xkb:us", "xkb:ru", "xkb:ua", "xkb:de"}) {
        sources.addKeyboardLayout(id);
    }
    sources.setCurrentSourceId("xkb:us");
    const InputSourceService service(sources, SystemKeyboardLayoutTranslator(sources));
    const TypingSimulator typing(*library.keyLayoutData("xkb:us"));
    const TokenCompletion completion{"ghbdtn", " ", "", *typing.strokes("ghbdtn"),
                                     *typing.strokes(" ")};
    const KeyboardLayout excluded = service.currentLayout().value();
    for (auto _ : state) {
        auto candidates = service.conversionCandidates(completion, excluded);
        benchmark::DoNotOptimize(candidates);
    }
    if (service.conversionCandidates(completion, excluded).size() != 3) {
        state.SkipWithError("expected three candidates");
    }
}
BENCHMARK(BM_ConversionCandidatesSixLettersFourLayouts)->Unit(benchmark::kMicrosecond);

void BM_MapperConvertSixLetters(benchmark::State& state) {
    const EnglishRussianLayoutMapper mapper;
    for (auto _ : state) {
        auto converted =
            mapper.convert("ghbdtn", KeyboardLayout::english(), KeyboardLayout::russian());
        benchmark::DoNotOptimize(converted);
    }
}
BENCHMARK(BM_MapperConvertSixLetters)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace plovik
