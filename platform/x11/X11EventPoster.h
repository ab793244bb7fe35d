#pragma once

#include <memory>

#include "core/platform/EventPoster.h"
#include "platform/x11/X11KeyInjector.h"
#include "platform/x11/X11KeyboardState.h"

namespace plovik {

// Posts key events through XTest: keys by their position, typed text in the locked
// group (spare key codes for what it cannot type). Main thread only.
class X11EventPoster final : public EventPoster {
  public:
    X11EventPoster(X11KeyInjector& injector, const X11KeyboardState& keyboard);

    std::optional<SyntheticKeyEvent> createKeyEvent(Key key, bool isKeyDown) override;
    void post(const SyntheticKeyEvent& event) override;
    // False when the last text could not be typed.
    bool lastPostSucceeded() const { return lastPostSucceeded_; }

  private:
    X11KeyInjector& injector_;
    const X11KeyboardState& keyboard_;
    bool lastPostSucceeded_ = true;
};

}  // namespace plovik
