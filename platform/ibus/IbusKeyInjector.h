#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/KeyInjector.h"
#include "core/platform/MainQueue.h"
#include "platform/ibus/IbusFieldEditor.h"

namespace plovik {

// Plovik's key events as the engines carry them out, never as keys forwarded to the
// application (those arrive out of order with the engine's edits): Backspaces and the
// text typed after them become one replacement of the text before the caret, checked by
// the engine against the field; a Return is a withheld one handed back. Other keys
// cannot be posted.
class IbusKeyInjector final : public KeyInjector {
  public:
    IbusKeyInjector(IbusFieldEditor& editor, MainQueue& mainQueue);

    std::optional<SyntheticKeyEvent> createKeyEvent(Key key, bool isKeyDown) override;
    void post(const SyntheticKeyEvent& event) override;
    // Any text: the engine commits it as it is.
    bool prepareText(const std::string& text) override;
    void awaitDelivery(std::chrono::milliseconds pause) override;

    // Carries the events out at once, in order; false when the engine refused or could
    // not make one of the edits they amount to (then the field is as it was before it).
    bool postNow(const std::vector<SyntheticKeyEvent>& events);

  private:
    bool flush(const std::string& insert);

    IbusFieldEditor& editor_;
    MainQueue& mainQueue_;
    std::size_t pendingBackspaces_ = 0;
    bool flushScheduled_ = false;
};

}  // namespace plovik
