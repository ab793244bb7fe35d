#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

namespace plovik {

// Plays the correction sounds from the freedesktop sound theme on a worker thread of its
// own: the sound system may wait on a sound server, and the caller handles key presses.
class ThemeSoundPlayer {
  public:
    // Plays one theme sound ("complete"), false when it cannot; called on the worker only.
    using Output = std::function<bool(const std::string& themeSound)>;
    // Called on the worker, so that the output is made, used and destroyed there.
    using OutputFactory = std::function<Output()>;

    // How long destruction waits for a worker held up by the sound system before leaving
    // it to finish by itself.
    static constexpr std::chrono::milliseconds kStopWait{1000};

    // Plays through libcanberra.
    ThemeSoundPlayer();
    explicit ThemeSoundPlayer(OutputFactory makeOutput);
    ~ThemeSoundPlayer();
    ThemeSoundPlayer(const ThemeSoundPlayer&) = delete;
    ThemeSoundPlayer& operator=(const ThemeSoundPlayer&) = delete;

    // A libcanberra context's output; make it on the worker.
    static Output canberraOutput();

    // The theme's sound for a correction sound's name ("Pop" gives "audio-volume-change");
    // absent for any other name.
    static std::optional<std::string> themeSoundFor(const std::string& name);

    // Returns at once: false when the name is not a correction sound, true when its sound
    // is on its way. While the worker is busy only the newest sound waits for it.
    bool play(const std::string& name);

  private:
    // Everything the worker uses, which it keeps when it outlives the player.
    struct Shared;

    static void work(std::stop_token stop, std::shared_ptr<Shared> shared,
                     OutputFactory makeOutput);

    std::shared_ptr<Shared> shared_;
    std::jthread worker_;
};

}  // namespace plovik
