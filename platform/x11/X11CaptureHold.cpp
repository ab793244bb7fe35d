#include "platform/x11/X11CaptureHold.h"

#include <unistd.h>
#include <xcb/xinput.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "platform/x11/XcbHandles.h"

namespace plovik {

namespace {

bool isKeyEvent(const xcb_generic_event_t& event, std::uint8_t xinputOpcode) {
    if ((event.response_type & 0x7F) != XCB_GE_GENERIC) {
        return false;
    }
    const auto& generic = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
    return generic.extension == xinputOpcode && (generic.event_type == XCB_INPUT_KEY_PRESS ||
                                                 generic.event_type == XCB_INPUT_KEY_RELEASE);
}

// Text, erasing or caret moves, as opposed to a lone keystroke of the user's passed on.
bool isEdit(const std::vector<SyntheticKeyEvent>& events) {
    return std::any_of(events.begin(), events.end(), [](const SyntheticKeyEvent& event) {
        return event.text || event.key == Key::backspace || event.key == Key::deleteForward ||
               event.key == Key::left || event.key == Key::right;
    });
}

}  // namespace

X11CaptureHold::X11CaptureHold(X11Connection& connection, X11KeyboardState& keyboard,
                               X11ExpectedKeys& expectedKeys, KeyPressLedger& presses,
                               X11ApplicationPing& ping, std::function<void()> handleQueuedEvents,
                               std::function<std::vector<std::uint32_t>()> keysDown,
                               std::function<void(Clock::duration)> freezeEnded)
    : connection_(connection),
      expectedKeys_(expectedKeys),
      presses_(presses),
      ping_(ping),
      handleQueuedEvents_(std::move(handleQueuedEvents)),
      keysDown_(std::move(keysDown)),
      freezeEnded_(std::move(freezeEnded)),
      injector_(connection, keyboard, expectedKeys,
                [this](std::uint32_t keycode) {
                    const auto now = keysDown_();
                    const auto holds = [&](const std::vector<std::uint32_t>& keys) {
                        return std::find(keys.begin(), keys.end(), keycode) != keys.end();
                    };
                    return holds(now) || holds(downAtStart_) || holds(takenBackDown_);
                }),
      watchdog_([this] { watch(); }) {}

X11CaptureHold::~X11CaptureHold() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        changed_.notify_all();
    }
    watchdog_.join();
    release();
}

bool X11CaptureHold::isHolding() const {
    std::lock_guard lock(mutex_);
    return holding_ && !expired_;
}

std::size_t X11CaptureHold::expiredCount() const {
    std::lock_guard lock(mutex_);
    return expiredCount_;
}

std::size_t X11CaptureHold::takenBackCount() const {
    std::lock_guard lock(mutex_);
    return takenBackCount_;
}

std::optional<std::uint32_t> X11CaptureHold::grab(xcb_window_t window) {
    xcb_connection_t* c = connection_.get();
    const std::uint32_t mask =
        XCB_INPUT_XI_EVENT_MASK_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_KEY_RELEASE;
    const auto cookie = xcb_input_xi_grab_device(
        c, window, XCB_CURRENT_TIME, XCB_CURSOR_NONE,
        static_cast<xcb_input_device_id_t>(connection_.coreKeyboard()), XCB_INPUT_GRAB_MODE_22_SYNC,
        XCB_INPUT_GRAB_MODE_22_ASYNC, 0, 1, &mask);
    // From this request on, key events belong to the hold; the ones before it were the
    // application's.
    sequence_ = cookie.sequence;
    before_.reset();
    xcb::Reply<xcb_input_xi_grab_device_reply_t> reply(
        xcb_input_xi_grab_device_reply(c, cookie, nullptr));
    if (!reply || reply->status != XCB_GRAB_STATUS_SUCCESS) {
        sequence_.reset();
        return std::nullopt;
    }
    lastGrab_ = cookie.sequence;
    return cookie.sequence;
}

void X11CaptureHold::start(std::optional<std::uint32_t> sequence, Clock::time_point deadline,
                           Clock::time_point heldSince) {
    sequence_ = sequence;
    heldKeyEvents_.clear();
    ownKeyTypedAgain_ = false;
    injector_.beginBatch();
    markAtStart_ = injector_.useMark();
    downAtStart_ = keysDown_();
    takenBackDown_.clear();
    oursEvents_.clear();
    std::lock_guard lock(mutex_);
    holding_ = true;
    expired_ = false;
    deadline_ = deadline;
    heldSince_ = heldSince;
    changed_.notify_all();
}

std::optional<KeyPressNumber> X11CaptureHold::begin(xcb_window_t window,
                                                    Clock::time_point deadline) {
    if (fromPress_ && isHolding()) {
        // The press that began it is the user's latest before it. The keys have been held
        // since that press: the edit has what is left of its limit, however late it comes.
        fromPress_ = false;
        return before_;
    }
    release();
    const auto asked = Clock::now();
    const auto sequence = grab(window);
    if (!sequence) {
        return std::nullopt;
    }
    window_ = window;
    start(*sequence, deadline, asked);
    // Every press the server took in before the grab was read with or before its reply.
    handleQueuedEvents_();
    if (!before_) {
        before_ = presses_.latest();
    }
    return before_;
}

void X11CaptureHold::beginFromPress(KeyPressNumber press, std::uint16_t device,
                                    xcb_timestamp_t time, xcb_window_t window) {
    // The press activated a passive grab, so no grab of Plovik's was active: what is left
    // of the last hold is forgotten without letting go of this one.
    {
        std::lock_guard lock(mutex_);
        expired_ = true;
    }
    release();
    {
        std::lock_guard lock(mutex_);
        withheld_ = Withheld{press, device, time};
    }
    const auto now = Clock::now();
    window_ = window;
    start(std::nullopt, now + kPressHoldLimit, now);
    before_ = press;
    fromPress_ = true;
}

bool X11CaptureHold::hasWithheld() const {
    std::lock_guard lock(mutex_);
    return withheld_.has_value();
}

bool X11CaptureHold::passesOn(KeyPressNumber press) const {
    std::lock_guard lock(mutex_);
    return (withheld_ && withheld_->press == press) || replayed_ == press;
}

bool X11CaptureHold::tookOverGrabOf(const xcb_generic_event_t& event) const {
    // The server sent the press before it handled the grab; a passive grab cannot activate
    // while the hold's own is in place.
    return lastGrab_ && event.full_sequence < *lastGrab_;
}

bool X11CaptureHold::keepQueued() {
    return beginBusy();
}

void X11CaptureHold::stopKeeping() {
    endBusy();
}

void X11CaptureHold::typeAgainFirst(std::optional<KeyPressNumber> press,
                                    const xcb_generic_event_t& event, bool kept) {
    if (press) {
        // Numbered before the grab, it is still to come for the application: it counts as
        // typed while the keyboard is held.
        if (!before_ || *before_ >= *press) {
            before_ = *press - 1;
        }
        // Goes on ahead of every key typed after it, as a withheld press does.
        std::lock_guard lock(mutex_);
        replayed_ = *press;
    } else {
        ownKeyTypedAgain_ = true;
    }
    const auto& key = reinterpret_cast<const xcb_input_key_press_event_t&>(event);
    const HeldKey pressed{key.detail, true, key.sourceid == connection_.xtestKeyboard(),
                          key.mods.effective, key.group.effective};
    if (!kept) {
        (void)fakeAgain({pressed});
        connection_.flush();
        return;
    }
    (void)putOursFirst({pressed});
}

void X11CaptureHold::beforeNumbering(std::uint32_t sequence) {
    if (sequence_ && !before_ && sequence >= *sequence_) {
        before_ = presses_.latest();
    }
    if (oursFrom_) {
        userPressPlaces_.push_back(expectedKeys_.matchedCount());
    }
}

void X11CaptureHold::watchOurKeys() {
    oursFrom_ = expectedKeys_.matchedCount();
    userPressPlaces_.clear();
}

bool X11CaptureHold::userPressCameAmongOurs() {
    const auto from = std::exchange(oursFrom_, std::nullopt).value_or(0);
    const auto to = expectedKeys_.matchedCount();
    return std::any_of(userPressPlaces_.begin(), userPressPlaces_.end(),
                       [&](std::uint64_t place) { return place > from && place < to; });
}

bool X11CaptureHold::takesKeyEvent(const xcb_generic_event_t& event) {
    // Once the keys went on, a key coming to Plovik's window is one its own grab of a
    // key (a Return) took, to be decided on and passed on as such.
    if (!sequence_ || !isKeyEvent(event, connection_.xinputOpcode()) ||
        event.full_sequence < *sequence_ || !isHolding()) {
        return false;
    }
    const auto& key = reinterpret_cast<const xcb_input_key_press_event_t&>(event);
    heldKeyEvents_.push_back({key.detail, key.event_type == XCB_INPUT_KEY_PRESS,
                              key.sourceid == connection_.xtestKeyboard(), key.mods.effective,
                              key.group.effective});
    return true;
}

void X11CaptureHold::letGo() {
    if (freezeEnded_) {
        freezeEnded_(Clock::now() - heldSince_);
    }
    if (const auto withheld = std::exchange(withheld_, std::nullopt)) {
        // Past the passive grab, to the focused window, then the keys queued behind it.
        xcb_input_xi_allow_events(connection_.get(), withheld->time, withheld->device,
                                  XCB_INPUT_EVENT_MODE_REPLAY_DEVICE, 0, 0);
        presses_.notePassedOn(withheld->press);
        replayed_ = withheld->press;
        return;
    }
    ungrab();
}

void X11CaptureHold::ungrab() {
    xcb_input_xi_ungrab_device(connection_.get(), XCB_CURRENT_TIME,
                               static_cast<xcb_input_device_id_t>(connection_.coreKeyboard()));
}

void X11CaptureHold::release() {
    fromPress_ = false;
    sequence_.reset();
    heldKeyEvents_.clear();
    bool wasHolding = false;
    {
        std::lock_guard lock(mutex_);
        wasHolding = holding_;
        if (holding_ && !expired_) {
            letGo();
            // Plovik's keys, its group locks among them, are handled before anything sent
            // later (a switch of layout after the correction, say).
            if (!ours_.empty()) {
                connection_.sync();
            } else {
                connection_.flush();
            }
        }
        ours_.clear();
        holding_ = false;
        changed_.notify_all();
    }
    if (wasHolding && injector_.useMark() != markAtStart_) {
        // Behind every key the hold let go: once answered, the spare codes they pressed may
        // be bound anew.
        (void)ping_.send(window_, injector_.useMark());
    }
}

void X11CaptureHold::noteAnswer(const xcb_generic_event_t& event) {
    if (const auto mark = ping_.answered(event)) {
        injector_.handledThrough(*mark);
    }
}

void X11CaptureHold::watch() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (!holding_ || expired_) {
            changed_.wait(lock);
            continue;
        }
        if (busy_) {
            // Keys half posted, or queued behind the user's, would meet them: the edit's
            // last step ends first, and it is short.
            changed_.wait(lock);
            continue;
        }
        if (changed_.wait_until(lock, deadline_) == std::cv_status::timeout && holding_ &&
            !expired_ && !busy_ && Clock::now() >= deadline_) {
            // Whatever the threads wait for, the user's keys go on now.
            expired_ = true;
            ++expiredCount_;
            letGo();
            connection_.flush();
        }
    }
}

bool X11CaptureHold::postAhead(const std::vector<SyntheticKeyEvent>& events) {
    if (!isHolding() || !before_) {
        return false;
    }
    // Anything sent now would queue behind the withheld press.
    if (hasWithheld()) {
        return false;
    }
    {
        // Keys half posted when the hold ends would meet the user's: the hold lasts until
        // they are all in.
        std::lock_guard lock(mutex_);
        if (!holding_ || expired_) {
            return false;
        }
        deadline_ = std::max(deadline_, Clock::now() + kPostingTime);
    }
    injector_.startLog();
    // Nothing is posted unless all of it can be.
    if (!std::all_of(events.begin(), events.end(),
                     [&](const SyntheticKeyEvent& event) { return injector_.canPost(event); })) {
        (void)injector_.takeLog();
        return false;
    }
    if (isEdit(events)) {
        // The user's keys since the hold began wait ahead of anything sent now, and are put
        // behind it when they only type text. A modifier, lock or layout key among them, or
        // a modifier the user holds, would turn Plovik's keys into other ones or commands:
        // the edit is not made then. Checked with every key binding in place, so that the
        // keys go out at once after it.
        connection_.sync();
        handleQueuedEvents_();
        if (ownKeyTypedAgain_ || !presses_.onlyTextSince(*before_) ||
            injector_.userModifiers() != 0 || !keepsSparesForTakingBack()) {
            (void)injector_.takeLog();
            return false;
        }
    }
    if (!beginBusy()) {
        (void)injector_.takeLog();
        return false;
    }
    expectedKeys_.beginBatch();
    watchOurKeys();
    for (const auto& event : events) {
        (void)injector_.post(event);
    }
    connection_.flush();
    const auto sent = injector_.takeLog();
    for (const auto& key : sent) {
        ours_.push_back({key.keycode, key.isPress});
    }
    oursEvents_.insert(oursEvents_.end(), events.begin(), events.end());
    // Every raw press the server took in before the reply is read with it, the batch's
    // first among them.
    connection_.sync();
    handleQueuedEvents_();
    // A key of the user queued before these, or between two of them: the order is put right
    // before anything goes on.
    const bool overtaken = !sent.empty() && (expectedKeys_.userPressesBeforeBatch() != before_ ||
                                             userPressCameAmongOurs());
    const bool made = !overtaken || putOursFirst();
    endBusy();
    return made;
}

bool X11CaptureHold::keepsSparesForTakingBack() {
    // A key of the user's taken back may have to be typed again on a spare code: when it
    // was typed before a modifier change that cannot be made again. One for every press
    // since the hold began, and some for those still to come.
    const auto pressedSince = presses_.latest() - *before_;
    return injector_.availableSpares() >= pressedSince + kSparesForLateKeys;
}

bool X11CaptureHold::beginBusy() {
    std::lock_guard lock(mutex_);
    if (!holding_ || expired_) {
        return false;
    }
    busy_ = true;
    return true;
}

void X11CaptureHold::endBusy() {
    std::lock_guard lock(mutex_);
    busy_ = false;
    changed_.notify_all();
}

bool X11CaptureHold::putOursFirst(std::vector<HeldKey> users) {
    const auto taken = theUsersAmong(takeBackQueued(), ours_);
    users.insert(users.end(), taken.begin(), taken.end());
    // A modifier, lock or layout key of the user's that the server took in before Plovik's
    // keys would turn them into other ones: they are left out then, and the edit not made.
    bool oursGo = !changesTyping(users);
    for (int round = 1;; ++round) {
        ++takenBackCount_;
        // A key of the user's taken back while still held is down for the server: Plovik's
        // own press of it would count for nothing, so its keys are typed anew around it.
        takenBackDown_ = pressedWithoutRelease(users);
        const bool typeAnew =
            oursGo && !takenBackDown_.empty() &&
            std::all_of(oursEvents_.begin(), oursEvents_.end(),
                        [&](const auto& event) { return injector_.canPost(event); });
        // Too few spare codes to type Plovik's keys around a key the user holds, or the
        // user's keys again besides Plovik's, with some left for keys still to come: the
        // edit is left out, which frees the codes its keys took, none of them having gone
        // out.
        if (oursGo && ((!typeAnew && holdsAKeyOf(users, ours_)) || !canTypeAgain(users) ||
                       injector_.availableSpares() < kSparesForLateKeys)) {
            oursGo = false;
        }
        if (!oursGo) {
            injector_.withdrawBatch();
        }
        // Plovik's edits as they were meant, before anything the user typed since the hold
        // began: none of them reached the application, the user's key being ahead of them.
        watchOurKeys();
        Requeued requeued = requeue(!oursGo    ? Ours::leftOut
                                    : typeAnew ? Ours::typedAnew
                                               : Ours::fakedAgain,
                                    users);
        const bool changedLate = oursGo && changesTyping(requeued.late);
        const bool lastRound = round >= kMaximumRounds;
        // A key still held that the keys queued again press too (the server, taking the late
        // press first, takes theirs for nothing), or a modifier let go that the user's keys
        // queued again were typed with, asks for everything to be taken back again.
        const bool inOrder = !holdsAKeyOf(requeued.late, requeued.sent) &&
                             !releasesAHeldModifier(requeued.late, users) &&
                             canTypeAgain(requeued.late);
        if (!changedLate && (lastRound || inOrder)) {
            // Keys that beat the silent key to the grab follow everything queued again, unless
            // a key typed later went in ahead of them or among the rest.
            const auto faked = fakeAgain(requeued.late);
            requeued.sent.insert(requeued.sent.end(), faked.begin(), faked.end());
            connection_.sync();
            handleQueuedEvents_();
            if (!userPressCameAmongOurs() || lastRound) {
                return oursGo;
            }
            // Taken back below with the rest: the user's, in their place.
            users.insert(users.end(), requeued.late.begin(), requeued.late.end());
            requeued.late.clear();
        }
        oursGo = oursGo && !changedLate;
        // A key the user still holds came ahead of Plovik's keys, and they press it too, or
        // a key of the user's went in among the keys queued again: all of it is taken back
        // again, Plovik's keys typed around a held key as well.
        auto again = theUsersAmong(takeBackQueued(), requeued.sent);
        users.insert(users.end(), requeued.late.begin(), requeued.late.end());
        users.insert(users.end(), again.begin(), again.end());
    }
}

std::vector<X11CaptureHold::HeldKey> X11CaptureHold::theUsersAmong(
    const std::vector<HeldKey>& taken, const std::vector<HeldKey>& sent) {
    std::vector<HeldKey> users;
    auto next = sent.begin();
    for (const auto& event : taken) {
        // A keyboard's key is the user's; a synthetic one is Plovik's when it comes in
        // Plovik's order, some of whose group locks the server applies without reporting.
        const auto mine =
            event.synthetic ? std::find_if(next, sent.end(),
                                           [&](const HeldKey& ours) { return ours.sameKey(event); })
                            : sent.end();
        if (mine != sent.end()) {
            next = mine + 1;
        } else {
            users.push_back(event);
        }
    }
    return users;
}

bool X11CaptureHold::changesTyping(const std::vector<HeldKey>& keys) const {
    return std::any_of(keys.begin(), keys.end(), [&](const HeldKey& key) {
        return key.isPress && injector_.changesTyping(key.keycode);
    });
}

bool X11CaptureHold::releasesAHeldModifier(const std::vector<HeldKey>& late,
                                           const std::vector<HeldKey>& users) const {
    const auto held = pressedWithoutRelease(users);
    return std::any_of(late.begin(), late.end(), [&](const HeldKey& key) {
        return !key.isPress && injector_.isModifierKey(key.keycode) &&
               std::find(held.begin(), held.end(), key.keycode) != held.end();
    });
}

bool X11CaptureHold::holdsAKeyOf(const std::vector<HeldKey>& late,
                                 const std::vector<HeldKey>& ours) {
    const auto held = pressedWithoutRelease(late);
    return std::any_of(ours.begin(), ours.end(), [&](const HeldKey& key) {
        return key.isPress && std::find(held.begin(), held.end(), key.keycode) != held.end();
    });
}

std::vector<std::uint32_t> X11CaptureHold::pressedWithoutRelease(
    const std::vector<HeldKey>& events) {
    std::vector<std::uint32_t> down;
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (events[i].isPress && !X11RetypedKeys::releasedLater(events, i)) {
            down.push_back(events[i].keycode);
        }
    }
    return down;
}

void X11CaptureHold::typeOursAnew() {
    injector_.startLog();
    for (const auto& event : oursEvents_) {
        (void)injector_.post(event);
    }
    ours_.clear();
    for (const auto& key : injector_.takeLog()) {
        ours_.push_back({key.keycode, key.isPress});
    }
}

std::vector<X11CaptureHold::HeldKey> X11CaptureHold::takeBackQueued() {
    heldKeyEvents_.clear();
    requeueing_ = false;
    for (int step = 0; step < kMaximumTakenBack; ++step) {
        const std::size_t before = heldKeyEvents_.size();
        allowOneEvent();
        if (heldKeyEvents_.size() == before) {
            break;
        }
    }
    return std::exchange(heldKeyEvents_, {});
}

void X11CaptureHold::allowOneEvent() {
    xcb_input_xi_allow_events(connection_.get(), XCB_CURRENT_TIME,
                              static_cast<xcb_input_device_id_t>(connection_.coreKeyboard()),
                              XCB_INPUT_EVENT_MODE_SYNC_DEVICE, 0, 0);
    connection_.sync();
    handleQueuedEvents_();
}

void X11CaptureHold::fake(std::uint32_t keycode, bool isPress) {
    xcb_test_fake_input(connection_.get(), isPress ? XCB_KEY_PRESS : XCB_KEY_RELEASE,
                        static_cast<std::uint8_t>(keycode), XCB_CURRENT_TIME, connection_.root(), 0,
                        0, 0);
}

X11CaptureHold::Requeued X11CaptureHold::requeue(Ours ours, const std::vector<HeldKey>& users) {
    Requeued requeued;
    std::optional<std::uint32_t> silent;
    if (!requeueing_) {
        // The keyboard was let go until the next key reaches the grab: a silent key goes
        // first and is that key, so that the others queue behind it. It goes out with
        // them, leaving the user's keys no gap to fall into.
        requeueing_ = true;
        silent = injector_.silentKeycode();
        if (silent) {
            expectedKeys_.expect(*silent);
            fake(*silent, true);
            fake(*silent, false);
            requeued.sent.push_back({*silent, false});
        }
    }
    switch (ours) {
        case Ours::fakedAgain:
            (void)fakeAgain(ours_);
            break;
        case Ours::typedAnew:
            typeOursAnew();
            break;
        case Ours::leftOut:
            ours_.clear();
            oursEvents_.clear();
            break;
    }
    requeued.sent.insert(requeued.sent.end(), ours_.begin(), ours_.end());
    const auto fakedUsers = fakeAgain(users);
    requeued.sent.insert(requeued.sent.end(), fakedUsers.begin(), fakedUsers.end());
    connection_.sync();
    handleQueuedEvents_();
    requeued.late = keysBeforeSilent(silent);
    return requeued;
}

std::vector<X11CaptureHold::HeldKey> X11CaptureHold::keysBeforeSilent(
    std::optional<std::uint32_t> silent) {
    // Keys of the user's that beat the silent key to the grab were typed after everything
    // taken back, so they follow all of it. Those queued behind the first would reach the
    // application ahead of Plovik's keys: they are taken, one by one, until the silent
    // key comes.
    std::vector<HeldKey> late;
    for (int step = 0; step < kMaximumTakenBack; ++step) {
        bool silentCame = false;
        for (const auto& event : std::exchange(heldKeyEvents_, {})) {
            if (silent && event.keycode == *silent) {
                silentCame = true;
            } else {
                late.push_back(event);
            }
        }
        if (!silent || silentCame) {
            break;
        }
        allowOneEvent();
    }
    return late;
}

bool X11CaptureHold::canTypeAgain(const std::vector<HeldKey>& events) {
    return X11RetypedKeys::plan(events, injector_).complete;
}

std::vector<X11CaptureHold::HeldKey> X11CaptureHold::fakeAgain(const std::vector<HeldKey>& events) {
    const auto faked = X11RetypedKeys::plan(events, injector_).keys;
    for (const auto& key : faked) {
        if (key.isPress) {
            // Counted already, when first pressed.
            expectedKeys_.expect(key.keycode);
        }
        fake(key.keycode, key.isPress);
    }
    return faked;
}

}  // namespace plovik
