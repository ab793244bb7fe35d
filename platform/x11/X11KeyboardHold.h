#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "core/platform/KeyboardHold.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11ExpectedKeys.h"
#include "platform/x11/X11KeyEventTapFactory.h"
#include "platform/x11/X11KeyInjector.h"

namespace plovik {

// Holds the keyboard with an active synchronous grab of the master keyboard on the
// focused window: the server queues every key from then on and plays them to the
// application, in order, when the grab ends. Right after the grab, a property change that
// the capture sees among its raw presses marks exactly which presses came before it.
// Plovik's own keys are posted on the same connection, behind anything already queued;
// when a key of the user turns out to be queued before them, everything queued is taken
// back and the user's keys alone are played again. A watchdog thread ends a hold that
// outlives its limit, whatever the main thread is waiting for.
class X11KeyboardHold final : public KeyboardHolder {
  public:
    // How long the grab is tried while another grab (a key Plovik grabs, being answered)
    // holds the keyboard.
    static constexpr std::chrono::milliseconds kGrabRetry{6};
    // How long the capture may take to see the marker.
    static constexpr std::chrono::milliseconds kMarkerWait{20};
    // At most this many queued events are taken back.
    static constexpr int kMaximumTakenBack = 256;

    // `connection` and `injector` are used by the main thread and the watchdog only.
    X11KeyboardHold(X11Connection& connection, X11KeyInjector& injector,
                    X11ExpectedKeys& expectedKeys, X11KeyEventTapFactory& taps);
    ~X11KeyboardHold() override;
    X11KeyboardHold(const X11KeyboardHold&) = delete;
    X11KeyboardHold& operator=(const X11KeyboardHold&) = delete;

    std::unique_ptr<HeldKeyboard> hold(std::chrono::milliseconds limit) override;

    // Holds the watchdog ended, and holds whose keys had to be taken back.
    std::size_t expiredCount() const;
    std::size_t takenBackCount() const;

  private:
    class Held;
    struct KeyEvent {
        std::uint32_t keycode;
        bool isPress;
        bool operator==(const KeyEvent&) const = default;
    };

    bool grab(xcb_window_t window, std::chrono::steady_clock::time_point until);
    xcb_window_t focusWindow() const;
    // Sends the next marker; the capture's press count at it, or absent.
    std::optional<KeyPressNumber> markHoldStart(X11KeyCapture& capture);
    bool catchUpWithMarkers(X11KeyCapture& capture);
    void ungrab();
    // Lets the held keys go unless the watchdog already did; true when this call did.
    bool release();
    bool postAhead(const std::vector<SyntheticKeyEvent>& events, KeyPressNumber before);
    std::vector<KeyEvent> takeBackQueued();
    void playBack(const std::vector<KeyEvent>& events);
    void watch();

    X11Connection& connection_;
    X11KeyInjector& injector_;
    X11ExpectedKeys& expectedKeys_;
    X11KeyEventTapFactory& taps_;
    xcb_atom_t marker_ = XCB_ATOM_NONE;
    X11KeyCapture* markedCapture_ = nullptr;
    std::uint64_t markersSent_ = 0;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool holding_ = false;
    bool expired_ = false;
    bool stopping_ = false;
    std::chrono::steady_clock::time_point deadline_;
    std::size_t expiredCount_ = 0;
    std::size_t takenBackCount_ = 0;
    std::thread watchdog_;
};

}  // namespace plovik
