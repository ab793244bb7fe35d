#pragma once

#include <canberra.h>

#include <memory>
#include <optional>
#include <string>

namespace plovik {

// Plays the correction sounds from the freedesktop sound theme through libcanberra.
// Playing never waits for the sound to end, and a sound may outlive its player.
class ThemeSoundPlayer {
  public:
    ThemeSoundPlayer();

    // The theme's sound for a correction sound's name ("Pop" gives "audio-volume-change");
    // absent for any other name.
    static std::optional<std::string> themeSoundFor(const std::string& name);

    // False when the name is not a correction sound or the sound cannot be played.
    bool play(const std::string& name);

  private:
    bool open();

    struct ContextDestroyer {
        void operator()(ca_context* context) const { ca_context_destroy(context); }
    };
    std::unique_ptr<ca_context, ContextDestroyer> context_;
    bool opened_ = false;
};

}  // namespace plovik
