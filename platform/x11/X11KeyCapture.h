#pragma once

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "core/capture/KeyPressLedger.h"
#include "core/support/FileDescriptor.h"
#include "platform/x11/X11CaptureHold.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11ExpectedKeys.h"
#include "platform/x11/X11KeyboardState.h"

namespace plovik {

// Every key press of the session, seen on a thread and a connection of its own so
// that a busy main thread never holds the keyboard: XInput2 raw presses of every
// keyboard as the server takes them in (observed, also while a hold freezes the
// keyboard), and synchronous passive grabs of chosen keys (answered with replay or
// swallow). Each press carries what it typed, from XKB state kept current by XKB events,
// with dead keys composed.
class X11KeyCapture {
  public:
    // How long the caller waits for work the capture thread began after the caller's
    // deadline.
    static constexpr std::chrono::seconds kStartedWorkLimit{2};
    struct Press {
        std::uint32_t keycode = 0;
        // Effective real modifiers.
        std::uint32_t modifiers = 0;
        std::string text;
        // Injected by Plovik itself (the next expected XTest press).
        bool isOwn = false;
        // The user's press as numbered when it was read; zero for Plovik's own.
        KeyPressNumber number = 0;
    };
    // A key and its exact modifiers (without Caps Lock and Num Lock, which are ignored).
    struct GrabbedKey {
        std::uint32_t keycode = 0;
        std::uint32_t modifiers = 0;
        auto operator<=>(const GrabbedKey&) const = default;
    };
    // What becomes of a grabbed press: it goes on to the application; it is swallowed; or it
    // is swallowed and the keyboard stays held for the edit it asks for (see hold()).
    enum class Answer { pass, swallow, swallowAndHold };
    // Both run on the capture thread. The grab handler must answer within milliseconds:
    // the keyboard is frozen until it does.
    using PressHandler = std::function<void(const Press&)>;
    using GrabHandler = std::function<Answer(const Press&)>;
    // Called once for a key held down past the auto-repeat delay (its press was reported
    // earlier): the application saw repeats that raw events do not carry.
    using HeldHandler = std::function<void(std::uint32_t keycode)>;

    struct Handlers {
        PressHandler press;
        GrabHandler grab;
        HeldHandler held;
        // Called once, on the capture thread, when the connection breaks: no key is seen
        // any more.
        std::function<void()> lost;
        // How long a hold kept the user's keys back; any thread.
        std::function<void(std::chrono::steady_clock::duration)> freezeEnded;
    };

    // Connects, selects the events, grabs the keys and starts the thread; a readable
    // reason when the display or its extensions cannot be used. Each press of the user is
    // numbered in `presses` as soon as it is read, before any handler runs.
    static std::variant<std::unique_ptr<X11KeyCapture>, std::string> start(
        const char* displayName, X11ExpectedKeys& expectedKeys,
        std::shared_ptr<KeyPressLedger> presses, Handlers handlers,
        const std::vector<GrabbedKey>& grabs);
    ~X11KeyCapture();
    X11KeyCapture(const X11KeyCapture&) = delete;
    X11KeyCapture& operator=(const X11KeyCapture&) = delete;

    // Replaces the grabbed keys; any thread.
    void setGrabs(const std::vector<GrabbedKey>& grabs);

    // --- Holding the keyboard for an edit (see X11CaptureHold). Any thread but the capture's:
    // the work runs on the capture thread, which is waited for until `deadline`.
    // Holds the keyboard until `limit` from now, or takes over the hold a swallowed press
    // began; the number of the user's latest press before the hold, or absent.
    std::optional<KeyPressNumber> hold(std::chrono::milliseconds limit,
                                       std::chrono::steady_clock::time_point deadline);
    bool postAhead(const std::vector<SyntheticKeyEvent>& events,
                   std::chrono::steady_clock::time_point deadline);
    void releaseHold(std::chrono::steady_clock::time_point deadline);
    bool passesOnWithheldPress(KeyPressNumber press) const;
    // Any thread.
    bool isHolding() const { return hold_->isHolding(); }
    const X11CaptureHold& keyboardHold() const { return *hold_; }

  private:
    X11KeyCapture(std::unique_ptr<X11Connection> connection, X11ExpectedKeys& expectedKeys,
                  std::shared_ptr<KeyPressLedger> presses, Handlers handlers);

    void grab(const std::vector<GrabbedKey>& keys, bool install);
    void grabOn(xcb_window_t window, const std::vector<GrabbedKey>& keys, bool install);
    xcb_window_t focusWindow() const;
    // Grabs on the root make the focused window lose the focus while a key is held,
    // and toolkits then report no focused field: the keys are grabbed on the focused
    // window itself, and follow it.
    void followFocus();
    void run();
    void handle(const xcb_generic_event_t& event);
    void handleRawPress(std::uint32_t keycode, std::uint16_t sourceId, std::uint32_t sequence);
    void handleQueuedEvents();
    // Runs `work` on the capture thread; false when it had not started by the deadline, and
    // is then skipped. Work that started is waited for (up to kStartedWorkLimit, against a
    // server that stopped answering): it may have posted keys already, and only its outcome
    // tells whether it did.
    bool runOnCaptureThread(std::function<void()> work,
                            std::chrono::steady_clock::time_point deadline);
    void runTasks();
    KeyPressNumber recordUserPress(std::uint32_t keycode, std::uint32_t modifiers,
                                   const std::string& text);
    // The number a grabbed key got when its press came in during a hold.
    std::optional<KeyPressNumber> numberedEarlier(std::uint32_t keycode);
    // Reports once each key down so long that the application has been repeating it.
    void reportHeldKeys(xcb_timestamp_t now);
    void handleGrabbedPress(const xcb_generic_event_t& event);
    bool isGrabbed(std::uint32_t keycode, std::uint32_t modifiers);
    bool isOwn(std::uint32_t keycode, std::uint16_t sourceId);
    // The same for a grabbed key's press, whose raw press was noted in place.
    bool isOwnGrabbed(const xcb_input_key_press_event_t& key);

    std::unique_ptr<X11Connection> connection_;
    std::unique_ptr<X11KeyboardState> keyboard_;
    X11ExpectedKeys& expectedKeys_;
    const std::shared_ptr<KeyPressLedger> presses_;
    Handlers handlers_;
    std::uint32_t repeatDelayMilliseconds_ = 660;
    std::mutex grabsMutex_;
    std::set<GrabbedKey> grabs_;
    xcb_window_t grabWindow_ = XCB_WINDOW_NONE;
    xcb_atom_t activeWindowAtom_ = XCB_ATOM_NONE;
    // Keys down, when they went down, and whether they were reported as held (capture
    // thread only).
    struct DownKey {
        std::uint32_t keycode;
        xcb_timestamp_t since;
        bool reported;
    };
    std::vector<DownKey> down_;
    // The swallowed key, until the user lets it go (capture thread only).
    std::optional<std::uint32_t> swallowedKey_;
    std::unique_ptr<X11ApplicationPing> ping_;
    std::unique_ptr<X11CaptureHold> hold_;
    struct Task {
        std::function<void()> work;
        bool done = false;
        bool abandoned = false;
        bool started = false;
    };
    std::mutex tasksMutex_;
    std::condition_variable taskDone_;
    std::deque<std::shared_ptr<Task>> tasks_;
    // Grabbed keys pressed during a hold: key code and number (capture thread only).
    std::vector<std::pair<std::uint32_t, KeyPressNumber>> numberedWhileHeld_;
    std::unique_ptr<FileDescriptor> wakeRead_;
    std::unique_ptr<FileDescriptor> wakeWrite_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace plovik
