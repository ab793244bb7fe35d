#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "core/capture/KeyPressLedger.h"
#include "core/platform/KeyInjector.h"
#include "platform/x11/X11ApplicationPing.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11ExpectedKeys.h"
#include "platform/x11/X11KeyboardState.h"
#include "platform/x11/X11RetypedKeys.h"
#include "platform/x11/XTestKeyTyper.h"

namespace plovik {

// The keyboard held back for an edit: an active synchronous grab of the master keyboard on
// the focused window, made on the capture's own connection and thread, so that the order of
// the grab's request among the raw presses tells exactly which presses came before it. The
// server queues every key from then on and plays them to the application, in order, when
// the grab ends. Plovik's own keys are posted on the same connection, behind anything
// already queued; when a key of the user turns out to be queued before them, everything
// queued is taken back and the user's keys alone are played again. A grabbed press (a
// withheld Return) keeps the keyboard frozen by the passive grab it activated, and is
// replayed to the application when that hold ends, ahead of every key typed after it.
// Nothing can be put before it: such a hold makes no keystroke edit. A
// watchdog thread lets the keys go once a hold outlives its limit, whatever the threads
// are waiting for, except while Plovik's keys are being posted and put in order: keys let
// go then would fall between them.
class X11CaptureHold {
  public:
    using Clock = std::chrono::steady_clock;
    // At most this many queued events are taken back.
    static constexpr int kMaximumTakenBack = 256;
    // How many times Plovik's keys are put first around keys the user goes on typing.
    static constexpr int kMaximumRounds = 3;
    // How long a hold begun by a press keeps the keys, the edit that takes it over included.
    static constexpr std::chrono::milliseconds kPressHoldLimit{60};
    // Spare key codes an edit leaves free for keys the user presses while it is posted.
    static constexpr std::size_t kSparesForLateKeys = 3;
    // What posting an edit may take past the hold's limit.
    static constexpr std::chrono::milliseconds kPostingTime{15};

    // `handleQueuedEvents` handles the events the connection has read so far, on the
    // capture thread, without waiting for more.
    // `keysDown` tells the keys the user holds down now (X key codes). `freezeEnded` is
    // told how long each hold kept the keys back, on the thread that ended it. `ping`
    // learns when the application has handled the keys a hold let go.
    X11CaptureHold(X11Connection& connection, X11KeyboardState& keyboard,
                   X11ExpectedKeys& expectedKeys, KeyPressLedger& presses, X11ApplicationPing& ping,
                   std::function<void()> handleQueuedEvents,
                   std::function<std::vector<std::uint32_t>()> keysDown,
                   std::function<void(Clock::duration)> freezeEnded = {});
    ~X11CaptureHold();
    X11CaptureHold(const X11CaptureHold&) = delete;
    X11CaptureHold& operator=(const X11CaptureHold&) = delete;

    // --- Capture thread
    // Holds the keyboard on `window` until `deadline`, or takes over the hold a press
    // began, which keeps its own limit; the number of the user's latest press before the
    // hold, or absent.
    std::optional<KeyPressNumber> begin(xcb_window_t window, Clock::time_point deadline);
    // Keeps the keyboard frozen by the passive grab that `press` activated (device, time
    // and window as in its event): the keys after it stay queued, and it goes on first when
    // the hold ends.
    void beginFromPress(KeyPressNumber press, std::uint16_t device, xcb_timestamp_t time,
                        xcb_window_t window);
    // Whether the withheld `press` goes, or went, to the application ahead of the keys
    // typed after it.
    bool passesOn(KeyPressNumber press) const;
    bool postAhead(const std::vector<SyntheticKeyEvent>& events);
    void release();
    // A key event the holding grab took instead of the application.
    bool takesKeyEvent(const xcb_generic_event_t& event);
    // Whether a grab of the hold's took over the passive grab the press `event` activated:
    // the press then reached nobody, and cannot be replayed.
    bool tookOverGrabOf(const xcb_generic_event_t& event) const;
    // Keeps the keys queued behind such a press while it is decided on; false when the hold
    // let them go already.
    bool keepQueued();
    void stopKeeping();
    // Types such a press again ahead of the keys queued, or, when they went on (`kept`
    // false), after them: late, but not lost. `press` is the user's press, absent for a key
    // of Plovik's (one the user typed, typed again by an earlier hold).
    void typeAgainFirst(std::optional<KeyPressNumber> press, const xcb_generic_event_t& event,
                        bool kept);
    // Called before a press of the user is numbered, with the request it came after.
    void beforeNumbering(std::uint32_t sequence);
    // An event that may answer the ping sent when a hold let its keys go.
    void noteAnswer(const xcb_generic_event_t& event);

    // --- Any thread
    bool isHolding() const;
    std::size_t expiredCount() const;
    std::size_t takenBackCount() const;

  private:
    using HeldKey = X11RetypedKeys::KeyEvent;

    // A press whose passive grab still freezes the keyboard.
    struct Withheld {
        KeyPressNumber press;
        std::uint16_t device;
        xcb_timestamp_t time;
    };

    std::optional<std::uint32_t> grab(xcb_window_t window);
    void start(std::optional<std::uint32_t> sequence, Clock::time_point deadline,
               Clock::time_point heldSince);
    bool hasWithheld() const;
    // Ends the grab, a withheld press replayed first (mutex held).
    void letGo();
    void ungrab();
    // Every key event queued by the hold, in order; the keyboard is let go until the next
    // key reaches the grab.
    std::vector<HeldKey> takeBackQueued();
    // Queues Plovik's events again (or types them anew), then the user's, behind nothing,
    // the keyboard still held, then any key that came meanwhile.
    struct Requeued {
        // Every key event queued again, in order, the silent key's release first.
        std::vector<HeldKey> sent;
        // Keys of the user's that reached the grab ahead of them, not yet queued again.
        std::vector<HeldKey> late;
    };
    // What becomes of Plovik's keys taken back.
    enum class Ours { fakedAgain, typedAnew, leftOut };
    Requeued requeue(Ours ours, const std::vector<HeldKey>& users);
    // The events among `taken` that are not Plovik's `sent` ones, in order.
    static std::vector<HeldKey> theUsersAmong(const std::vector<HeldKey>& taken,
                                              const std::vector<HeldKey>& sent);
    // Whether `late` lets go of a modifier held down at the end of `users`, which the keys
    // after it were typed again with.
    bool releasesAHeldModifier(const std::vector<HeldKey>& late,
                               const std::vector<HeldKey>& users) const;
    // Whether a key still held among `late` is one `ours` presses.
    static bool holdsAKeyOf(const std::vector<HeldKey>& late, const std::vector<HeldKey>& ours);
    // Posts every event of Plovik's in this hold again through the typist, which keeps off
    // the keys the user holds.
    void typeOursAnew();
    // The keys that reached the grab ahead of the silent key, taking queued ones until it
    // comes.
    std::vector<HeldKey> keysBeforeSilent(std::optional<std::uint32_t> silent);
    // One queued event comes to the grab, then the keyboard is frozen again.
    void allowOneEvent();
    static std::vector<std::uint32_t> pressedWithoutRelease(const std::vector<HeldKey>& events);
    // Whether spare codes are free wherever typing the events again needs one; binds them.
    bool canTypeAgain(const std::vector<HeldKey>& events);
    // What it sent, in order.
    std::vector<HeldKey> fakeAgain(const std::vector<HeldKey>& events);
    void fake(std::uint32_t keycode, bool isPress);
    // Takes back what the hold queued and queues Plovik's keys again before the user's,
    // `users` ahead of those taken back; false when Plovik's keys had to be left out.
    bool putOursFirst(std::vector<HeldKey> users = {});
    // From now on, where the user's presses fall among Plovik's.
    void watchOurKeys();
    // Whether a press of the user's went in between two of Plovik's since `watchOurKeys`,
    // once every key sent has been read back.
    bool userPressCameAmongOurs();
    // Whether `keys` press a modifier, lock or layout key.
    bool changesTyping(const std::vector<HeldKey>& keys) const;
    void watch();
    // From the last check before Plovik's keys are posted until they are in order, the
    // watchdog waits; false when the hold has already let the keys go.
    bool beginBusy();
    // Whether enough spare key codes are free to type again every key of the user's that
    // a reordering may take back.
    bool keepsSparesForTakingBack();
    void endBusy();

    X11Connection& connection_;
    X11ExpectedKeys& expectedKeys_;
    KeyPressLedger& presses_;
    X11ApplicationPing& ping_;
    std::function<void()> handleQueuedEvents_;
    std::function<std::vector<std::uint32_t>()> keysDown_;
    std::function<void(Clock::duration)> freezeEnded_;
    // Keys down when the hold began: the application still has them down while it handles
    // Plovik's keys, their releases queued behind.
    std::vector<std::uint32_t> downAtStart_;
    // Keys of the user's taken back by the hold while still down.
    std::vector<std::uint32_t> takenBackDown_;
    XTestKeyTyper injector_;

    // Capture thread only.
    // Where the held keys go.
    xcb_window_t window_ = XCB_WINDOW_NONE;
    // The spare codes' use when the hold began.
    std::uint64_t markAtStart_ = 0;
    std::optional<std::uint32_t> sequence_;
    // The request of the latest grab the hold made.
    std::optional<std::uint32_t> lastGrab_;
    std::optional<KeyPressNumber> before_;
    bool fromPress_ = false;
    // A key of Plovik's went ahead of the keys queued: the keys it typed before are not all
    // in the application yet, so no edit goes behind them.
    bool ownKeyTypedAgain_ = false;
    // Since the last take-back, a silent key has gone first.
    bool requeueing_ = false;
    // How many of Plovik's presses the capture had seen when its latest keys began to go
    // out, and as many at each press of the user's since: the server queues the keys in
    // the order it takes them in, which is the order the capture sees them in.
    std::optional<std::uint64_t> oursFrom_;
    std::vector<std::uint64_t> userPressPlaces_;
    std::vector<HeldKey> heldKeyEvents_;
    // Every key event Plovik posted during the hold, in order, and what they were for.
    std::vector<HeldKey> ours_;
    std::vector<SyntheticKeyEvent> oursEvents_;

    // Shared with the watchdog and other threads.
    mutable std::mutex mutex_;
    std::optional<Withheld> withheld_;
    std::optional<KeyPressNumber> replayed_;
    std::condition_variable changed_;
    bool holding_ = false;
    bool expired_ = false;
    bool busy_ = false;
    bool stopping_ = false;
    Clock::time_point deadline_;
    Clock::time_point heldSince_;
    std::size_t expiredCount_ = 0;
    std::size_t takenBackCount_ = 0;
    std::thread watchdog_;
};

}  // namespace plovik
