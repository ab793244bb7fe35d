#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "core/capture/ShortcutDefinition.h"
#include "core/platform/KeyCapture.h"
#include "platform/ibus/IbusEngineLink.h"

namespace plovik {

// Key taps fed by the Plovik engines: every press of the user in a field reaches the
// callback in order, numbered by the engine program. Return, keypad Enter and the
// shortcuts are asked about and wait in the engine for the callback's answer within its
// budget; every other press has gone on already. Presses the engine holds while it
// edits are not gone on: they reach the application after the edit. Main thread only.
class IbusKeyCaptureFactory final : public KeyCaptureFactory {
  public:
    // How long taking a press may wait for the engine's word that it is still held.
    static constexpr std::chrono::milliseconds kTakeTimeout{100};

    explicit IbusKeyCaptureFactory(IbusEngineLink& link);
    ~IbusKeyCaptureFactory() override;

    std::unique_ptr<KeyCapture> createTap(Callback callback) override;
    // The shortcuts the engines ask about besides Return; told to the engines at once.
    void setShortcuts(const std::vector<ShortcutDefinition>& shortcuts);

    KeyPressNumber latestPress() const override { return latest_; }
    bool hasPressGoneOnSince(KeyPressNumber press) const override;
    std::optional<std::string> textTypedBetween(KeyPressNumber after,
                                                KeyPressNumber upTo) const override;

  private:
    class Tap;
    class Claim;
    struct TapState;

    void handle(const ibus::EngineMessage& message);
    void handlePress(const ibus::EngineMessage& message);
    void sendGrabs();
    bool isLate(KeyPressNumber press) const;
    void remember(KeyPressNumber press, std::optional<std::string> typed);
    void noteSwallowed(KeyPressNumber press, bool swallowed);

    IbusEngineLink& link_;
    std::vector<ShortcutDefinition> shortcuts_;
    std::vector<std::weak_ptr<TapState>> taps_;
    KeyPressNumber latest_ = 0;
    KeyPressNumber lastGoneOn_ = 0;
    std::set<KeyPressNumber> late_;
    // What the latest presses typed (see KeyPressText), by the engines' numbers.
    struct Typed {
        KeyPressNumber press;
        std::optional<std::string> text;
        // Swallowed presses type nothing, unless they went on late after all.
        bool swallowed = false;
    };
    std::deque<Typed> typed_;
    Subscription messages_;
    Subscription connection_;
};

}  // namespace plovik
