#include "platform/linux/ThemeSoundPlayer.h"

#include <array>
#include <condition_variable>
#include <mutex>
#include <string_view>
#include <utility>

#include "platform/linux/CanberraSound.h"

namespace plovik {

namespace {

// One distinct, short theme sound per correction sound.
constexpr std::array<std::pair<std::string_view, const char*>, 6> kThemeSounds{{
    {"Pop", "audio-volume-change"},
    {"Glass", "complete"},
    {"Submarine", "message-new-instant"},
    {"Tink", "bell"},
    {"Bottle", "message"},
    {"Morse", "dialog-information"},
}};

}  // namespace

struct ThemeSoundPlayer::Shared {
    std::mutex mutex;
    std::condition_variable_any soundWaiting;
    // One slot: sounds held up behind a stuck sound server are stale, the newest is not.
    std::optional<std::string> waiting;
    std::condition_variable finishedChanged;
    bool finished = false;
};

ThemeSoundPlayer::ThemeSoundPlayer() : ThemeSoundPlayer(&ThemeSoundPlayer::canberraOutput) {}

ThemeSoundPlayer::ThemeSoundPlayer(OutputFactory makeOutput)
    : shared_(std::make_shared<Shared>()),
      worker_(&ThemeSoundPlayer::work, shared_, std::move(makeOutput)) {}

ThemeSoundPlayer::~ThemeSoundPlayer() {
    worker_.request_stop();
    bool finished = false;
    {
        std::unique_lock lock(shared_->mutex);
        finished =
            shared_->finishedChanged.wait_for(lock, kStopWait, [&] { return shared_->finished; });
    }
    // A worker still inside the sound system owns all it uses and ends by itself once the
    // server answers; the driver it loaded stays mapped, so even the end of the program
    // cannot pull code from under it. Waiting for it could hang the program's exit.
    if (finished) {
        worker_.join();
    } else {
        worker_.detach();
    }
}

ThemeSoundPlayer::Output ThemeSoundPlayer::canberraOutput() {
    auto sound = std::make_shared<CanberraSound>();
    return [sound](const std::string& themeSound) { return sound->play(themeSound); };
}

void ThemeSoundPlayer::work(std::stop_token stop, std::shared_ptr<Shared> shared,
                            OutputFactory makeOutput) {
    {
        Output output;
        if (!stop.stop_requested()) {
            output = makeOutput();
        }
        while (output) {
            std::string sound;
            {
                std::unique_lock lock(shared->mutex);
                shared->soundWaiting.wait(lock, stop, [&] { return shared->waiting.has_value(); });
                // Sounds still waiting when the player goes are dropped.
                if (stop.stop_requested()) {
                    break;
                }
                sound = std::move(*shared->waiting);
                shared->waiting.reset();
            }
            (void)output(sound);
        }
        // The output, and whatever the factory held, are let go here, on this thread.
        makeOutput = nullptr;
    }
    std::lock_guard lock(shared->mutex);
    shared->finished = true;
    shared->finishedChanged.notify_all();
}

std::optional<std::string> ThemeSoundPlayer::themeSoundFor(const std::string& name) {
    for (const auto& [correctionSound, themeSound] : kThemeSounds) {
        if (correctionSound == name) {
            return std::string(themeSound);
        }
    }
    return std::nullopt;
}

bool ThemeSoundPlayer::play(const std::string& name) {
    auto sound = themeSoundFor(name);
    if (!sound) {
        return false;
    }
    {
        std::lock_guard lock(shared_->mutex);
        // The worker never holds the lock while it plays, so this never waits on it.
        shared_->waiting = std::move(*sound);
    }
    shared_->soundWaiting.notify_one();
    return true;
}

}  // namespace plovik
