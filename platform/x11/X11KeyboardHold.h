#pragma once

#include <chrono>
#include <memory>

#include "core/platform/KeyboardHold.h"
#include "platform/x11/X11KeyCaptureFactory.h"

namespace plovik {

// Holds the keyboard through the capture of the installed tap (see X11CaptureHold), which
// owns the grabs: the main thread waits for it a few milliseconds at most per step.
class X11KeyboardHold final : public KeyboardHolder {
  public:
    // How long a step may take on the capture thread before the hold is given up.
    static constexpr std::chrono::milliseconds kStepLimit{20};

    explicit X11KeyboardHold(X11KeyCaptureFactory& taps) : taps_(taps) {}

    std::unique_ptr<HeldKeyboard> hold(std::chrono::milliseconds limit) override;
    bool passOnWithheldPress(KeyPressNumber press) override;

  private:
    class Held;

    X11KeyCaptureFactory& taps_;
};

}  // namespace plovik
