// Re-reading a finished word's strokes through the other enabled layouts, which
// runs once per completed word; and converting selected text between two layouts, which
// runs once per press of the conversion shortcut.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/layouts/EnglishRussianLayoutMapper.h"
#include "core/layouts/InputSourceService.h"
#include "core/layouts/LayoutPairChooser.h"
#include "core/layouts/LayoutTextConverter.h"
#include "core/layouts/TypingSimulator.h"
#include "platform/linux/XkbKeymapLibrary.h"
#include "platform/simulated/SimulatedLayoutSource.h"

namespace plovik {
namespace {

void BM_ConversionCandidatesSixLettersFourLayouts(benchmark::State& state) {
    XkbKeymapLibrary library;
    SimulatedLayoutSource sources(library);
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

LayoutTextConverter::Side side(XkbKeymapLibrary& library, const char* id) {
    return {KeyboardLayout{id, id, {}}, library.keyLayoutData(id)};
}

// A paragraph of 1,000 characters typed with the wrong layout.
std::string wrongLayoutParagraph() {
    std::string text;
    while (text.size() < 1000) {
        text += "Ghbdtn? rfr ltkf& Z pf,sk cdjq gfhjkm jn gjxns/ ";
    }
    return text.substr(0, 1000);
}

void BM_ConvertSelectionThousandCharacters(benchmark::State& state) {
    XkbKeymapLibrary library;
    const LayoutTextConverter converter(side(library, "xkb:us"), side(library, "xkb:ru"));
    const std::string text = wrongLayoutParagraph();
    for (auto _ : state) {
        auto converted = converter.convert(text);
        benchmark::DoNotOptimize(converted);
    }
    if (converter.convert(converter.convert(text).text).text != text) {
        state.SkipWithError("converting twice did not give the paragraph back");
    }
}
BENCHMARK(BM_ConvertSelectionThousandCharacters)->Unit(benchmark::kMicrosecond);

// Paid on the first conversion after the layouts change: choosing the partner among four
// layouts and indexing the two key maps' keys.
void BM_ChoosePairAndBuildConverterFourLayouts(benchmark::State& state) {
    XkbKeymapLibrary library;
    std::vector<LayoutTextConverter::Side> sides;
    for (const char* id : {"xkb:us", "xkb:de", "xkb:ua", "xkb:ru"}) {
        sides.push_back(side(library, id));
    }
    for (auto _ : state) {
        const auto pair = LayoutPairChooser::choose(sides, std::string("xkb:us"));
        LayoutTextConverter converter(pair->first, pair->second);
        benchmark::DoNotOptimize(converter);
    }
}
BENCHMARK(BM_ChoosePairAndBuildConverterFourLayouts)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace plovik
