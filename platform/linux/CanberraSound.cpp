#include "platform/linux/CanberraSound.h"

#include <cstdint>

#include "platform/linux/LoadedLibraries.h"

namespace plovik {

namespace {

constexpr std::uint32_t kSoundIdentifier = 1;

}  // namespace

CanberraSound::CanberraSound() {
    ca_context* context = nullptr;
    if (ca_context_create(&context) != CA_SUCCESS) {
        return;
    }
    context_.reset(context);
    ca_context_change_props(context, CA_PROP_APPLICATION_NAME, "Plovik", CA_PROP_APPLICATION_ID,
                            "plovik", nullptr);
    opened_ = open();
}

bool CanberraSound::open() {
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

bool CanberraSound::play(const std::string& themeSound) {
    if (!context_) {
        return false;
    }
    // Opened here rather than by the play itself, so that a driver loaded late stays too.
    if (!opened_ && !(opened_ = open())) {
        return false;
    }
    return ca_context_play(context_.get(), kSoundIdentifier, CA_PROP_EVENT_ID, themeSound.c_str(),
                           CA_PROP_CANBERRA_XDG_THEME_NAME, "freedesktop",
                           CA_PROP_EVENT_DESCRIPTION, "Word corrected", nullptr) == CA_SUCCESS;
}

}  // namespace plovik
