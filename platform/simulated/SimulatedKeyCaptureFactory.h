#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "core/capture/KeyPressLedger.h"
#include "core/platform/KeyCapture.h"

namespace plovik {

// The key-event taps of the in-memory desktop. The desktop (or a test) delivers each
// key press here and learns whether the application under the taps receives it.
// Like the system's, the newest tap sees an event first, and a swallowed event
// reaches no later tap.
class SimulatedKeyCaptureFactory final : public KeyCaptureFactory {
  public:
    SimulatedKeyCaptureFactory();
    ~SimulatedKeyCaptureFactory() override;

    // Null while Input Monitoring is off.
    std::unique_ptr<KeyCapture> createTap(Callback callback) override;

    void setInputMonitoringGranted(bool granted) { inputMonitoringGranted_ = granted; }
    bool isInputMonitoringGranted() const { return inputMonitoringGranted_; }

    KeyPressNumber latestPress() const override { return presses_.latest(); }
    bool hasPressGoneOnSince(KeyPressNumber press) const override {
        return presses_.hasPressGoneOnSince(press);
    }
    std::optional<std::string> textTypedBetween(KeyPressNumber after,
                                                KeyPressNumber upTo) const override {
        return presses_.typedBetween(after, upTo);
    }

    // A press the taps swallowed reached the application after all.
    void notePassedOn(KeyPressNumber press) { presses_.notePassedOn(press); }

    // Runs a key-down event or a held-key notice through every installed, enabled tap;
    // disabled or removed taps see nothing and pass everything. A press of the user is
    // numbered first, whether or not a tap is there to see it.
    KeyDisposition deliver(const KeyEvent& event);
    // Numbers a press of the user as the system sees it come in, without delivering it
    // yet; deliver() keeps the number.
    KeyEvent number(const KeyEvent& event);

    bool isTapInstalled() const { return installedTapCount() > 0; }
    bool isTapEnabled() const;
    std::size_t installedTapCount() const;
    std::size_t createdTapCount() const { return createdTapCount_; }

  private:
    struct TapState;
    class Tap;
    using TapList = std::vector<std::shared_ptr<TapState>>;

    // Replaced, never changed in place, so that a callback may create or remove taps
    // while a delivery walks the list it started with.
    std::shared_ptr<const TapList> taps_;
    KeyPressLedger presses_;
    bool inputMonitoringGranted_ = true;
    std::size_t createdTapCount_ = 0;
};

}  // namespace plovik
