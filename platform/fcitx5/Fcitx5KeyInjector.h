#pragma once

#include <chrono>
#include <cstddef>
#include <optional>

#include "core/platform/KeyInjector.h"
#include "core/platform/MainQueue.h"
#include "platform/fcitx5/Fcitx5KeyCaptureFactory.h"
#include "platform/fcitx5/Fcitx5ModuleClient.h"

namespace plovik {

// Plovik's own keys through the Fcitx5 module. Backspaces and typed text become one edit
// of the text before the caret, made by the module only while that text is still what the
// backspaces would erase: keys forwarded by an input method reach the application by
// another way than its edits, and would arrive out of order. A Return stands for the one
// Plovik swallowed; the module posts it unless it had to let that one go on by itself.
// Other keys cannot be posted. Main thread only.
class Fcitx5KeyInjector final : public KeyInjector {
  public:
    // The key whose events carry typed text.
    static constexpr Key kTypingKey = Key::a;

    Fcitx5KeyInjector(Fcitx5ModuleClient& module, Fcitx5KeyCaptureFactory& taps,
                      MainQueue& mainQueue);

    std::optional<SyntheticKeyEvent> createKeyEvent(Key key, bool isKeyDown) override;
    void post(const SyntheticKeyEvent& event) override;
    // The module commits any text as it is.
    bool prepareText(const std::string&) override { return true; }
    // The module handles Plovik's messages in order; once it answers, every edit asked
    // before is made.
    void awaitDelivery(std::chrono::milliseconds pause) override;

  private:
    void postReturn(const SyntheticKeyEvent& event);
    // The backspaces counted so far, with `text` after them, as one edit.
    void erase(const std::string& text);

    Fcitx5ModuleClient& module_;
    Fcitx5KeyCaptureFactory& taps_;
    MainQueue& mainQueue_;
    std::size_t backspaces_ = 0;
    bool eraseScheduled_ = false;
};

}  // namespace plovik
