#pragma once

#include <chrono>
#include <memory>

#include "core/platform/KeyCapture.h"
#include "core/platform/KeyboardHold.h"
#include "platform/ibus/IbusEngineLink.h"
#include "platform/ibus/IbusKeyInjector.h"

namespace plovik {

// The engines run in order with the user's keys and hold every key that comes while one of
// Plovik's edits is under way, so holding asks nothing of them: an edit names the last press
// Plovik has seen, and the engine refuses it once a later press has gone on. The hold
// lasts while no such press has. Edits go out through the engine (delete around the caret
// and commit), never as forwarded keys. Main thread only.
class IbusKeyboardHolder final : public KeyboardHolder {
  public:
    IbusKeyboardHolder(IbusEngineLink& link, const KeyCaptureFactory& presses,
                       IbusKeyInjector& injector);

    std::unique_ptr<HeldKeyboard> hold(std::chrono::milliseconds limit) override;
    // The engine hands a withheld Return on when Plovik posts it: the caller does.
    bool passOnWithheldPress(KeyPressNumber) override { return false; }

  private:
    class Held;

    IbusEngineLink& link_;
    const KeyCaptureFactory& presses_;
    IbusKeyInjector& injector_;
};

}  // namespace plovik
