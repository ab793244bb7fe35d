#include "platform/x11/X11KeyboardHold.h"

#include <unistd.h>
#include <xcb/xinput.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <string>

namespace plovik {

namespace {

using Clock = std::chrono::steady_clock;

// A new name per process, so that no other program's change of it can pass for a marker.
std::string markerName() {
    return "_PLOVIK_HOLD_" + std::to_string(::getpid());
}

}  // namespace

class X11KeyboardHold::Held final : public HeldKeyboard {
  public:
    Held(X11KeyboardHold& owner, X11KeyCapture& capture, KeyPressNumber before)
        : owner_(owner), capture_(capture), before_(before) {}
    ~Held() override {
        owner_.release();
        capture_.setHolding(false);
    }

    KeyPressNumber lastPressBeforeHold() const override { return before_; }
    bool isHeld() const override {
        std::lock_guard lock(owner_.mutex_);
        return owner_.holding_ && !owner_.expired_;
    }
    bool postAhead(const std::vector<SyntheticKeyEvent>& events) override {
        return owner_.postAhead(events, before_);
    }
    void waitForApplication(std::chrono::milliseconds duration) override {
        std::this_thread::sleep_for(duration);
    }

  private:
    X11KeyboardHold& owner_;
    X11KeyCapture& capture_;
    const KeyPressNumber before_;
};

X11KeyboardHold::X11KeyboardHold(X11Connection& connection, X11KeyInjector& injector,
                                 X11ExpectedKeys& expectedKeys, X11KeyEventTapFactory& taps)
    : connection_(connection),
      injector_(injector),
      expectedKeys_(expectedKeys),
      taps_(taps),
      marker_(connection.atom(markerName())),
      watchdog_([this] { watch(); }) {}

X11KeyboardHold::~X11KeyboardHold() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        changed_.notify_all();
    }
    watchdog_.join();
}

std::size_t X11KeyboardHold::expiredCount() const {
    std::lock_guard lock(mutex_);
    return expiredCount_;
}

std::size_t X11KeyboardHold::takenBackCount() const {
    std::lock_guard lock(mutex_);
    return takenBackCount_;
}

std::unique_ptr<HeldKeyboard> X11KeyboardHold::hold(std::chrono::milliseconds limit) {
    X11KeyCapture* capture = taps_.activeCapture();
    if (!capture || marker_ == XCB_ATOM_NONE || !catchUpWithMarkers(*capture)) {
        return nullptr;
    }
    const auto start = Clock::now();
    capture->setHolding(true);
    if (!grab(focusWindow(), start + kGrabRetry)) {
        capture->setHolding(false);
        return nullptr;
    }
    {
        std::lock_guard lock(mutex_);
        holding_ = true;
        expired_ = false;
        deadline_ = start + limit;
        changed_.notify_all();
    }
    const auto before = markHoldStart(*capture);
    if (!before) {
        release();
        capture->setHolding(false);
        return nullptr;
    }
    return std::make_unique<Held>(*this, *capture, *before);
}

bool X11KeyboardHold::catchUpWithMarkers(X11KeyCapture& capture) {
    if (&capture != markedCapture_) {
        markedCapture_ = &capture;
        markersSent_ = 0;
        capture.watchHoldMarker(marker_);
    }
    // A marker that came too late last time must not pass for this hold's.
    return markersSent_ == 0 ||
           capture.pressesBeforeMarker(markersSent_, Clock::now() + kMarkerWait).has_value();
}

xcb_window_t X11KeyboardHold::focusWindow() const {
    xcb::Reply<xcb_get_input_focus_reply_t> focus(xcb_get_input_focus_reply(
        connection_.get(), xcb_get_input_focus(connection_.get()), nullptr));
    // On the focused window itself: a grab elsewhere takes the focus from it for as long,
    // and toolkits then report no focused field.
    return focus && focus->focus > XCB_INPUT_FOCUS_POINTER_ROOT ? focus->focus : connection_.root();
}

bool X11KeyboardHold::grab(xcb_window_t window, Clock::time_point until) {
    xcb_connection_t* c = connection_.get();
    const std::uint32_t mask =
        XCB_INPUT_XI_EVENT_MASK_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_KEY_RELEASE;
    while (true) {
        xcb::Reply<xcb_input_xi_grab_device_reply_t> reply(xcb_input_xi_grab_device_reply(
            c,
            xcb_input_xi_grab_device(c, window, XCB_CURRENT_TIME, XCB_CURSOR_NONE,
                                     static_cast<xcb_input_device_id_t>(connection_.coreKeyboard()),
                                     XCB_INPUT_GRAB_MODE_22_SYNC, XCB_INPUT_GRAB_MODE_22_ASYNC, 0,
                                     1, &mask),
            nullptr));
        if (reply && reply->status == XCB_GRAB_STATUS_SUCCESS) {
            return true;
        }
        // Another grab is answering a key; it lets go within milliseconds.
        const bool busy = reply && (reply->status == XCB_GRAB_STATUS_ALREADY_GRABBED ||
                                    reply->status == XCB_GRAB_STATUS_FROZEN);
        if (!busy || Clock::now() >= until) {
            return false;
        }
        ::usleep(300);
    }
}

std::optional<KeyPressNumber> X11KeyboardHold::markHoldStart(X11KeyCapture& capture) {
    const std::uint32_t value = static_cast<std::uint32_t>(++markersSent_);
    xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, connection_.root(), marker_,
                        XCB_ATOM_CARDINAL, 32, 1, &value);
    connection_.flush();
    return capture.pressesBeforeMarker(markersSent_, Clock::now() + kMarkerWait);
}

void X11KeyboardHold::ungrab() {
    xcb_input_xi_ungrab_device(connection_.get(), XCB_CURRENT_TIME,
                               static_cast<xcb_input_device_id_t>(connection_.coreKeyboard()));
    connection_.flush();
}

bool X11KeyboardHold::release() {
    std::lock_guard lock(mutex_);
    if (!holding_) {
        return false;
    }
    holding_ = false;
    changed_.notify_all();
    if (expired_) {
        return false;
    }
    ungrab();
    return true;
}

void X11KeyboardHold::watch() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (!holding_ || expired_) {
            changed_.wait(lock);
            continue;
        }
        if (changed_.wait_until(lock, deadline_) == std::cv_status::timeout && holding_ &&
            !expired_ && Clock::now() >= deadline_) {
            // Whatever the main thread waits for, the user's keys go on now.
            expired_ = true;
            ++expiredCount_;
            ungrab();
        }
    }
}

bool X11KeyboardHold::postAhead(const std::vector<SyntheticKeyEvent>& events,
                                KeyPressNumber before) {
    std::lock_guard lock(mutex_);
    if (!holding_ || expired_) {
        return false;
    }
    expectedKeys_.beginBatch();
    injector_.startLog();
    bool posted = true;
    for (const auto& event : events) {
        posted = injector_.post(event) && posted;
    }
    connection_.sync();
    const auto sent = injector_.takeLog();
    if (sent.empty()) {
        return posted;
    }
    // The capture sees the server take the keys in, in order, the user's among them.
    const auto deadline = Clock::now() + kMarkerWait;
    auto firstSeenAfter = expectedKeys_.userPressesBeforeBatch();
    while (!firstSeenAfter && Clock::now() < deadline) {
        ::usleep(200);
        firstSeenAfter = expectedKeys_.userPressesBeforeBatch();
    }
    if (posted && firstSeenAfter == before) {
        return true;
    }
    // A key of the user is queued ahead of Plovik's: take everything back and play the
    // user's keys alone, in their order.
    std::vector<KeyEvent> ours;
    for (const auto& key : sent) {
        ours.push_back({key.keycode, key.isPress});
    }
    std::vector<KeyEvent> users;
    auto next = ours.begin();
    for (const auto& event : takeBackQueued()) {
        if (next != ours.end() && event == *next) {
            ++next;
        } else {
            users.push_back(event);
        }
    }
    ++takenBackCount_;
    holding_ = false;
    changed_.notify_all();
    playBack(users);
    return false;
}

std::vector<X11KeyboardHold::KeyEvent> X11KeyboardHold::takeBackQueued() {
    xcb_connection_t* c = connection_.get();
    std::vector<KeyEvent> taken;
    for (int step = 0; step < kMaximumTakenBack; ++step) {
        // One queued event comes to the grab, then the keyboard is frozen again.
        xcb_input_xi_allow_events(c, XCB_CURRENT_TIME,
                                  static_cast<xcb_input_device_id_t>(connection_.coreKeyboard()),
                                  XCB_INPUT_EVENT_MODE_SYNC_DEVICE, 0, 0);
        connection_.sync();
        bool came = false;
        while (auto* raw = xcb_poll_for_event(c)) {
            xcb::Reply<xcb_generic_event_t> event(raw);
            if ((event->response_type & 0x7F) != XCB_GE_GENERIC) {
                continue;
            }
            const auto& key = reinterpret_cast<const xcb_input_key_press_event_t&>(*event);
            if (key.extension == connection_.xinputOpcode() &&
                (key.event_type == XCB_INPUT_KEY_PRESS ||
                 key.event_type == XCB_INPUT_KEY_RELEASE)) {
                taken.push_back({key.detail, key.event_type == XCB_INPUT_KEY_PRESS});
                came = true;
            }
        }
        if (!came) {
            break;
        }
    }
    return taken;
}

void X11KeyboardHold::playBack(const std::vector<KeyEvent>& events) {
    xcb_connection_t* c = connection_.get();
    // The grab ends and the keys follow in one go, so that nothing comes in between.
    xcb_input_xi_ungrab_device(c, XCB_CURRENT_TIME,
                               static_cast<xcb_input_device_id_t>(connection_.coreKeyboard()));
    for (const auto& event : events) {
        if (event.isPress) {
            // Already counted when the user pressed it.
            expectedKeys_.expect(event.keycode);
        }
        xcb_test_fake_input(c, event.isPress ? XCB_KEY_PRESS : XCB_KEY_RELEASE,
                            static_cast<std::uint8_t>(event.keycode), XCB_CURRENT_TIME,
                            connection_.root(), 0, 0, 0);
    }
    connection_.sync();
    // Keys that reached the grab before it ended follow the others.
    std::vector<KeyEvent> late;
    while (auto* raw = xcb_poll_for_event(c)) {
        xcb::Reply<xcb_generic_event_t> event(raw);
        const auto& key = reinterpret_cast<const xcb_input_key_press_event_t&>(*event);
        if ((event->response_type & 0x7F) == XCB_GE_GENERIC &&
            key.extension == connection_.xinputOpcode() &&
            (key.event_type == XCB_INPUT_KEY_PRESS || key.event_type == XCB_INPUT_KEY_RELEASE)) {
            late.push_back({key.detail, key.event_type == XCB_INPUT_KEY_PRESS});
        }
    }
    for (const auto& event : late) {
        if (event.isPress) {
            expectedKeys_.expect(event.keycode);
        }
        xcb_test_fake_input(c, event.isPress ? XCB_KEY_PRESS : XCB_KEY_RELEASE,
                            static_cast<std::uint8_t>(event.keycode), XCB_CURRENT_TIME,
                            connection_.root(), 0, 0, 0);
    }
    connection_.flush();
}

}  // namespace plovik
