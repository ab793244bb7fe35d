// The settings store over a real file holding any bytes: it loads, takes a change and
// never loses the file it could not read.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>

#include "core/settings/SettingsDocument.h"
#include "core/settings/SettingsStore.h"
#include "platform/linux/FolderSettingsFiles.h"
#include "platform/simulated/SimulatedClock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("plovik-fuzz-settings-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string original(reinterpret_cast<const char*>(data), size);
    std::ofstream(folder / plovik::SettingsStore::kStandardStorageKey, std::ios::binary)
        << original;
    plovik::FolderSettingsFiles database(folder);
    plovik::SimulatedClock clock;
    {
        plovik::SettingsStore store(database, plovik::SettingsStore::kStandardStorageKey, clock,
                                    plovik::text::LocalizedComparison("en"));
        store.update([](plovik::AppSettings& settings) {
            settings.launchAtLogin = !settings.launchAtLogin;
        });
    }
    // Bytes the store could not read are still somewhere in the folder.
    bool kept = plovik::SettingsDocument::decode(std::span(data, size)).has_value();
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::ifstream stream(entry.path(), std::ios::binary);
        const std::string contents((std::istreambuf_iterator<char>(stream)),
                                   std::istreambuf_iterator<char>());
        kept = kept || contents == original;
    }
    if (!kept) {
        std::abort();
    }
    fs::remove_all(folder);
    return 0;
}
