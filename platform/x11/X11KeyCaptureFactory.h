#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/capture/KeyPressLedger.h"
#include "core/capture/ShortcutDefinition.h"
#include "core/platform/KeyCapture.h"
#include "core/platform/MainQueue.h"
#include "platform/x11/X11ExpectedKeys.h"
#include "platform/x11/X11FreezeRecord.h"
#include "platform/x11/X11KeyCapture.h"

namespace plovik {

// Key-event taps on the X server. Every press reaches the callback on the main
// queue, in key order; Return, keypad Enter and the shortcuts are held by grabs and
// answered by the callback within a few milliseconds. When the main thread does not
// take up the question in time the press goes on unchanged, and the callback sees it
// later as a press it cannot swallow; so do all presses that are not grabbed.
class X11KeyCaptureFactory final : public KeyCaptureFactory {
  public:
    // How long a grabbed press may wait for the main thread: the keyboard is frozen
    // meanwhile, so it stays below what a typist could notice.
    static constexpr std::chrono::milliseconds kGrabAnswerBudget{4};
    // How long a grabbed press the main thread has taken waits for the rest of its answer.
    static constexpr std::chrono::milliseconds kDecisionLimit{500};
    static constexpr std::uint32_t kReturnKeycode = 36;
    static constexpr std::uint32_t kKeypadEnterKeycode = 104;

    // Empty display name: $DISPLAY.
    X11KeyCaptureFactory(MainQueue& mainQueue, X11ExpectedKeys& expectedKeys,
                         std::string displayName = {},
                         std::chrono::milliseconds answerBudget = kGrabAnswerBudget);
    ~X11KeyCaptureFactory() override;

    // Null, with lastError() saying why, when the capture cannot be installed.
    std::unique_ptr<KeyCapture> createTap(Callback callback) override;
    // The shortcuts the taps may swallow; applies to installed taps at once.
    void setShortcuts(const std::vector<ShortcutDefinition>& shortcuts);
    const std::optional<std::string>& lastError() const { return lastError_; }
    // Whether an installed tap holds the key (X key code) with exactly these modifiers.
    bool holds(std::uint32_t keycode, std::uint32_t modifiers) const;
    // The capture of the installed tap; null when none is installed.
    X11KeyCapture* activeCapture() const;
    // Presses whose answer came too late and went on unchanged.
    std::size_t lateAnswerCount() const;
    // How long the holds of every tap kept the user's keys back.
    const X11FreezeRecord& freezes() const { return *freezes_; }
    // Called on the main thread when a tap's connection to the X server breaks.
    void setLossHandler(std::function<void()> handler) { *lossHandler_ = std::move(handler); }
    // Presses are numbered by the capture as it reads them, before the main thread has
    // heard of them.
    KeyPressNumber latestPress() const override { return presses_->latest(); }
    bool hasPressGoneOnSince(KeyPressNumber press) const override {
        return presses_->hasPressGoneOnSince(press);
    }
    std::optional<std::string> textTypedBetween(KeyPressNumber after,
                                                KeyPressNumber upTo) const override {
        return presses_->typedBetween(after, upTo);
    }

  private:
    class Tap;
    struct TapState;

    std::vector<X11KeyCapture::GrabbedKey> grabbedKeys() const;

    MainQueue& mainQueue_;
    X11ExpectedKeys& expectedKeys_;
    const std::string displayName_;
    const std::chrono::milliseconds answerBudget_;
    std::vector<ShortcutDefinition> shortcuts_;
    std::optional<std::string> lastError_;
    std::vector<std::weak_ptr<TapState>> taps_;
    // Shared with the captures and the answers they wait for.
    std::shared_ptr<KeyPressLedger> presses_ = std::make_shared<KeyPressLedger>();
    // Shared with the captures' threads, which may report after the factory is gone.
    std::shared_ptr<std::function<void()>> lossHandler_ = std::make_shared<std::function<void()>>();
    // Shared with the captures, which may end a hold while the factory goes.
    std::shared_ptr<X11FreezeRecord> freezes_ = std::make_shared<X11FreezeRecord>();
};

}  // namespace plovik
