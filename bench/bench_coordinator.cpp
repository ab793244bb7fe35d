// One wrong-layout word through the whole application on the simulated desktop: from
// its first key event through the tap, the monitor, the token buffer, the 35 ms wait
// (virtual, so it costs nothing), the decision and the verified replacement to the
// corrected text in the field, with the history record, undo state and feedback.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <variant>

#include "app/session/SimulatedSession.h"
#include "app/session/TemporaryFolder.h"

namespace {

using namespace plovik;

// Field text at which the field is emptied again (outside the timing).
constexpr std::size_t kFieldResetLength = 256;

std::unique_ptr<SimulatedSession> makeSession(const std::filesystem::path& folder) {
    SimulatedSession::Configuration configuration;
    configuration.perUserFolder = folder;
    auto created = SimulatedSession::create(configuration);
    if (std::holds_alternative<std::string>(created)) {
        return nullptr;
    }
    return std::move(std::get<std::unique_ptr<SimulatedSession>>(created));
}

// tmpfs when the machine has one: the history file's fsync then costs no disk wait,
// which would otherwise swamp the processing being measured.
std::unique_ptr<TemporaryFolder> makeFolder() {
    const std::filesystem::path memory = "/dev/shm";
    std::error_code error;
    return std::filesystem::is_directory(memory, error) ? std::make_unique<TemporaryFolder>(memory)
                                                        : std::make_unique<TemporaryFolder>();
}

void typeWord(benchmark::State& state, const std::string& word, const std::string& expected,
              bool keepsHistory) {
    const auto folder = makeFolder();
    auto session = makeSession(folder->path());
    if (!session) {
        state.SkipWithError("the simulated session could not be built");
        return;
    }
    std::vector<KeyEvent> keys;
    for (const auto& stroke : session->strokesOf(word)) {
        keys.push_back(session->keyEventFor(stroke));
    }
    auto& coordinator = session->coordinator();
    for (auto _ : state) {
        for (const auto& key : keys) {
            session->desktop().pressKey(key);
            session->mainQueue().advance(SimulatedSession::kKeyInterval);
        }
        state.PauseTiming();
        if (!session->fieldText().ends_with(expected)) {
            state.SkipWithError("the word was not corrected as expected");
            break;
        }
        if (session->fieldText().size() > kFieldResetLength) {
            session->field()->setText("");
            coordinator.tokenBuffer().reset();
        }
        if (!keepsHistory) {
            coordinator.historyStore().clear();
        }
        state.ResumeTiming();
    }
}

// The history starts empty for every word: the file written holds one record.
void BM_WrongLayoutWordCorrected(benchmark::State& state) {
    typeWord(state, "ghbdtn ", "привет ", false);
}
BENCHMARK(BM_WrongLayoutWordCorrected)->Unit(benchmark::kMicrosecond);

// The history at its cap of 500 records: every correction rewrites the whole file.
void BM_WrongLayoutWordCorrectedFullHistory(benchmark::State& state) {
    typeWord(state, "ghbdtn ", "привет ", true);
}
BENCHMARK(BM_WrongLayoutWordCorrectedFullHistory)->Unit(benchmark::kMicrosecond);

// A word of the selected layout: the same keys and checks, no replacement.
void BM_CorrectWordLeftAlone(benchmark::State& state) {
    typeWord(state, "planet ", "planet ", false);
}
BENCHMARK(BM_CorrectWordLeftAlone)->Unit(benchmark::kMicrosecond);

}  // namespace
