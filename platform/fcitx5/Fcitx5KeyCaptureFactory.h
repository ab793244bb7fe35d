#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/capture/KeyPressLedger.h"
#include "core/capture/ShortcutDefinition.h"
#include "core/platform/KeyCapture.h"
#include "core/platform/MainQueue.h"
#include "platform/fcitx5/Fcitx5ModuleClient.h"

namespace plovik {

// Key-event taps through the Fcitx5 module. Every press reaches the callback on the main
// queue, in key order. Return, keypad Enter and the shortcuts wait in the module for the
// answer, a few milliseconds at most; a press whose answer comes later has gone on
// unchanged and reaches the callback as one it cannot swallow, like every other press.
class Fcitx5KeyCaptureFactory final : public KeyCaptureFactory {
  public:
    // A Return Plovik swallowed and is to post again.
    struct WithheldReturn {
        std::uint64_t sequence = 0;
        // The module let it go on by itself meanwhile: posting it again would type it twice.
        bool wentOn = false;
    };

    // A press as Plovik numbers it and as the module does.
    struct PressMark {
        KeyPressNumber number = 0;
        std::uint64_t sequence = 0;
    };

    Fcitx5KeyCaptureFactory(MainQueue& mainQueue, Fcitx5ModuleClient& module);
    ~Fcitx5KeyCaptureFactory() override;

    // Null, with lastError() saying why, when the module cannot be reached.
    std::unique_ptr<KeyCapture> createTap(Callback callback) override;
    const std::optional<std::string>& lastError() const { return lastError_; }
    // The shortcuts the taps may swallow; applies to installed taps at once.
    void setShortcuts(const std::vector<ShortcutDefinition>& shortcuts);
    KeyPressNumber latestPress() const override { return presses_->latest(); }
    bool hasPressGoneOnSince(KeyPressNumber press) const override {
        return presses_->hasPressGoneOnSince(press);
    }
    std::optional<std::string> textTypedBetween(KeyPressNumber after,
                                                KeyPressNumber upTo) const override {
        return presses_->typedBetween(after, upTo);
    }
    // The latest press read, in both numberings; zeros before any.
    PressMark latestMark() const;
    // The oldest swallowed Return not posted yet, taken out; absent when there is none.
    std::optional<WithheldReturn> takeWithheldReturn();

    // What the module says, from the client's reading thread.
    void pressed(const module::Press& press);
    void wentOn(std::uint64_t sequence);
    void fieldChanged();
    void connectionChanged(bool connected);

  private:
    class Tap;
    class Claim;
    struct TapState;
    struct HeldPress;

    KeyEvent eventOf(const module::Press& press, KeyPressNumber number) const;
    void deliver(const std::shared_ptr<TapState>& tap, KeyEvent event,
                 const std::shared_ptr<HeldPress>& held);
    void settle(const KeyEvent& event, HeldPress& held);
    void sendHeldKeys();
    bool anyTapAlive() const;

    MainQueue& mainQueue_;
    Fcitx5ModuleClient& module_;
    std::vector<ShortcutDefinition> shortcuts_;
    std::optional<std::string> lastError_;
    std::mutex heldKeysSending_;
    // Shared with the reading thread.
    mutable std::mutex mutex_;
    std::vector<std::weak_ptr<TapState>> taps_;
    std::deque<WithheldReturn> withheld_;
    std::deque<std::shared_ptr<HeldPress>> heldPresses_;
    bool wasSecret_ = false;
    PressMark latest_;
    std::shared_ptr<KeyPressLedger> presses_ = std::make_shared<KeyPressLedger>();
};

}  // namespace plovik
