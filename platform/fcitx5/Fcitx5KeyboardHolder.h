#pragma once

#include <chrono>
#include <memory>

#include "core/platform/KeyboardHold.h"
#include "platform/fcitx5/Fcitx5KeyCaptureFactory.h"
#include "platform/fcitx5/Fcitx5ModuleClient.h"

namespace plovik {

// The keyboard held for an edit through the Fcitx5 module. The module handles the user's
// keys and Plovik's edits in one loop, in order, so no key can fall between the steps of
// an edit it makes: the hold is the edit's condition that no press after the hold began
// has gone on, which the module checks as it edits. Plovik's keys go ahead as that one edit
// (backspaces and text become the text they replace and the new text), never as keys.
class Fcitx5KeyboardHolder final : public KeyboardHolder {
  public:
    Fcitx5KeyboardHolder(Fcitx5ModuleClient& module, Fcitx5KeyCaptureFactory& taps)
        : module_(module), taps_(taps) {}

    // Null while the module is not connected. No key waits for it, so it has no limit.
    std::unique_ptr<HeldKeyboard> hold(std::chrono::milliseconds limit) override;
    // The module never holds the keys after a swallowed Return for Plovik: the Return is
    // posted again as Plovik's own key, in order with the module's edits.
    bool passOnWithheldPress(KeyPressNumber) override { return false; }

  private:
    class Held;

    Fcitx5ModuleClient& module_;
    Fcitx5KeyCaptureFactory& taps_;
};

}  // namespace plovik
