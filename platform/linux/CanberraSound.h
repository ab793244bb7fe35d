#pragma once

#include <canberra.h>

#include <memory>
#include <string>

namespace plovik {

// One libcanberra context playing freedesktop theme sounds. Its calls may wait on a
// sound server: use it from one thread that no key press waits on.
class CanberraSound {
  public:
    // Loads the sound driver at once, so that the first sound does not pay for it.
    CanberraSound();

    // Starts the theme sound (such as "complete") without waiting for its end; false when
    // it cannot be played.
    bool play(const std::string& themeSound);

  private:
    bool open();

    struct ContextDestroyer {
        void operator()(ca_context* context) const { ca_context_destroy(context); }
    };
    std::unique_ptr<ca_context, ContextDestroyer> context_;
    bool opened_ = false;
};

}  // namespace plovik
