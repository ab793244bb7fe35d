// One key into a word that is already long: the work per key must not grow with the word.
#include <benchmark/benchmark.h>

#include <string>

#include "core/tokens/CurrentTokenBuffer.h"

namespace plovik {
namespace {

const PhysicalKeyStroke kLetter{Key::x, {}};

void BM_KeyIntoLongWord(benchmark::State& state) {
    CurrentTokenBuffer buffer(40);
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        buffer.consume("x", kLetter);
    }
    for (auto _ : state) {
        buffer.consume("y", kLetter);
        buffer.deleteBackward();
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_KeyIntoLongWord)->Arg(10)->Arg(1'000)->Arg(100'000)->Unit(benchmark::kNanosecond);

}  // namespace
}  // namespace plovik
