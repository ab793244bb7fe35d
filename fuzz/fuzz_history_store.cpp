// The history store over a real file holding any bytes: it loads, appends and writes,
// and a file it could not read is kept aside, never lost.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/history/FileCorrectionHistoryStore.h"
#include "core/history/HistoryFileFormat.h"
#include "platform/simulated/SimulatedClock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("plovik-fuzz-history-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path file = folder / "correction-history.json";
    const std::string original(reinterpret_cast<const char*>(data), size);
    std::ofstream(file, std::ios::binary) << original;
    plovik::SimulatedClock clock;
    const bool readable =
        original.empty() || plovik::HistoryFileFormat::decode(original).has_value();
    {
        plovik::FileCorrectionHistoryStore store(file, 5, clock);
        store.append({plovik::Uuid::random(), "ghbdtn", "привет", "org.example",
                      plovik::CorrectionOutcome::accepted, 1.0});
    }
    std::ifstream stream(file, std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(stream)),
                              std::istreambuf_iterator<char>());
    const auto records = plovik::HistoryFileFormat::decode(written);
    if (!records || records->empty() || records->size() > 5) {
        std::abort();
    }
    const bool keptAside =
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()) == 2;
    if (readable == keptAside) {
        std::abort();
    }
    fs::remove_all(folder);
    return 0;
}
