// What a correction sound costs the thread that handles key presses: ThemeSoundPlayer::play
// against libcanberra playing on that thread itself, through ALSA into a file (a private
// home's asoundrc), and play with the worker stuck as behind a hung sound server.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>

#include "platform/linux/CanberraSound.h"
#include "platform/linux/ThemeSoundPlayer.h"

namespace {

namespace fs = std::filesystem;

// ALSA's default device writes to a file in a private home.
struct FileSoundDevice {
    FileSoundDevice() {
        char pattern[] = "/tmp/plovik-bench-sound-XXXXXX";
        home = ::mkdtemp(pattern);
        std::ofstream(home / ".asoundrc")
            << "pcm.!default { type file slave.pcm \"null\" file \""
            << (home / "played.raw").string() << "\" format \"raw\" }\n";
        ::setenv("HOME", home.c_str(), 1);
        ::setenv("CANBERRA_DRIVER", "alsa", 1);
    }
    ~FileSoundDevice() {
        std::error_code ignored;
        fs::remove_all(home, ignored);
    }
    fs::path home;
};

void BM_CanberraOnTheCallingThread(benchmark::State& state) {
    const FileSoundDevice device;
    plovik::CanberraSound sound;
    for (auto _ : state) {
        benchmark::DoNotOptimize(sound.play("bell"));
    }
}
BENCHMARK(BM_CanberraOnTheCallingThread)->Unit(benchmark::kMicrosecond);

void BM_PlayerWithCanberra(benchmark::State& state) {
    const FileSoundDevice device;
    plovik::ThemeSoundPlayer player;
    for (auto _ : state) {
        benchmark::DoNotOptimize(player.play("Tink"));
    }
}
BENCHMARK(BM_PlayerWithCanberra)->Unit(benchmark::kMicrosecond);

void BM_PlayerWithAStuckWorker(benchmark::State& state) {
    struct Gate {
        std::mutex mutex;
        std::condition_variable opened;
        bool open = false;
    };
    auto gate = std::make_shared<Gate>();
    {
        plovik::ThemeSoundPlayer player([gate] {
            return [gate](const std::string&) {
                std::unique_lock lock(gate->mutex);
                gate->opened.wait(lock, [&] { return gate->open; });
                return true;
            };
        });
        for (auto _ : state) {
            benchmark::DoNotOptimize(player.play("Tink"));
        }
        std::lock_guard lock(gate->mutex);
        gate->open = true;
        gate->opened.notify_all();
    }
}
BENCHMARK(BM_PlayerWithAStuckWorker)->Unit(benchmark::kMicrosecond);

}  // namespace
