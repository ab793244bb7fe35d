#include "platform/linux/ThemeSoundPlayer.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

#include "platform/linux/LoadedLibraries.h"

namespace plovik {

namespace {

constexpr std::uint32_t kSoundIdentifier = 1;

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

ThemeSoundPlayer::ThemeSoundPlayer() {
    ca_context* context = nullptr;
    if (ca_context_create(&context) != CA_SUCCESS) {
        return;
    }
    context_.reset(context);
    ca_context_change_props(context, CA_PROP_APPLICATION_NAME, "Plovik", CA_PROP_APPLICATION_ID,
                            "plovik", nullptr);
    // Loading the sound driver takes milliseconds (7 ms measured, ten times the play
    // itself): paid at start, not on the main thread just after a correction, when the
    // held-back Return comes through.
    opened_ = open();
}

bool ThemeSoundPlayer::open() {
    const auto before = LoadedLibraries::now();
    if (ca_context_open(context_.get()) != CA_SUCCESS) {
        return false;
    }
    // Destroying the context unloads the driver it loaded as soon as the play threads
    // have signed off, while they still run their last instructions in it: a sound
    // playing at exit would crash the program.
    for (const auto& library : LoadedLibraries::now().addedSince(before)) {
        (void)LoadedLibraries::keepResident(library);
    }
    return true;
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
    const auto sound = themeSoundFor(name);
    if (!sound || !context_) {
        return false;
    }
    // Opened here rather than by the play itself, so that a driver loaded late stays too.
    if (!opened_ && !(opened_ = open())) {
        return false;
    }
    return ca_context_play(context_.get(), kSoundIdentifier, CA_PROP_EVENT_ID, sound->c_str(),
                           CA_PROP_CANBERRA_XDG_THEME_NAME, "freedesktop",
                           CA_PROP_EVENT_DESCRIPTION, "Word corrected", nullptr) == CA_SUCCESS;
}

}  // namespace plovik
