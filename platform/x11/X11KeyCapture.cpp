#include "platform/x11/X11KeyCapture.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <xcb/xinput.h>

#include <algorithm>
#include <array>
#include <stdexcept>

#include "core/capture/KeyPressText.h"
#include "core/platform/Key.h"
#include "platform/linux/XkbKeymapLibrary.h"
#include "platform/x11/X11ModifierFlags.h"
#include "platform/x11/XcbXkb.h"

namespace plovik {

namespace {

constexpr std::array<std::uint32_t, 4> kLockCombinations{
    0, X11KeyboardState::kLockMask, X11KeyboardState::kNumLockMask,
    X11KeyboardState::kLockMask | X11KeyboardState::kNumLockMask};

struct XInputMask {
    xcb_input_event_mask_t header;
    std::uint32_t bits;
};

std::uint32_t readRepeatDelay(const X11Connection& connection) {
    xcb::Reply<xcb_xkb_get_controls_reply_t> controls(xcb_xkb_get_controls_reply(
        connection.get(),
        xcb_xkb_get_controls(connection.get(),
                             static_cast<xcb_xkb_device_spec_t>(connection.coreKeyboard())),
        nullptr));
    return controls && controls->repeatDelay > 0 ? controls->repeatDelay : 660;
}

}  // namespace

std::variant<std::unique_ptr<X11KeyCapture>, std::string> X11KeyCapture::start(
    const char* displayName, X11ExpectedKeys& expectedKeys, std::shared_ptr<KeyPressLedger> presses,
    Handlers handlers, const std::vector<GrabbedKey>& grabs) {
    auto opened = X11Connection::open(displayName);
    if (auto* error = std::get_if<std::string>(&opened)) {
        return *error;
    }
    std::unique_ptr<X11KeyCapture> capture;
    try {
        capture.reset(new X11KeyCapture(std::move(std::get<0>(opened)), expectedKeys,
                                        std::move(presses), std::move(handlers)));
    } catch (const std::runtime_error& error) {
        return std::string(error.what());
    }
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return std::string("cannot create the capture thread's wake-up pipe");
    }
    capture->wakeRead_ = std::make_unique<FileDescriptor>(pipe[0]);
    capture->wakeWrite_ = std::make_unique<FileDescriptor>(pipe[1]);

    X11Connection& connection = *capture->connection_;
    // Every device's own raw presses, not the master's copies: those wait with the master
    // while a hold freezes it, and the holder must see what comes in meanwhile.
    XInputMask mask{
        {XCB_INPUT_DEVICE_ALL, 1},
        XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE};
    xcb_input_xi_select_events(connection.get(), connection.root(), 1, &mask.header);
    capture->keyboard_->selectEvents();
    // Substructure events bring the applications' answers to pings.
    const std::uint32_t rootEvents =
        XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection.get(), connection.root(), XCB_CW_EVENT_MASK,
                                 &rootEvents);
    capture->activeWindowAtom_ = connection.atom("_NET_ACTIVE_WINDOW");
    capture->grabWindow_ = capture->focusWindow();
    capture->setGrabs(grabs);
    connection.sync();
    if (connection.hasError()) {
        return std::string("the X server refused the key capture");
    }
    capture->thread_ = std::thread([raw = capture.get()] { raw->run(); });
    return capture;
}

X11KeyCapture::X11KeyCapture(std::unique_ptr<X11Connection> connection,
                             X11ExpectedKeys& expectedKeys, std::shared_ptr<KeyPressLedger> presses,
                             Handlers handlers)
    : connection_(std::move(connection)),
      keyboard_(std::make_unique<X11KeyboardState>(*connection_, XkbKeymapLibrary::kComposeFile,
                                                   X11KeyboardState::Tracking::rawKeys)),
      expectedKeys_(expectedKeys),
      presses_(std::move(presses)),
      handlers_(std::move(handlers)),
      repeatDelayMilliseconds_(readRepeatDelay(*connection_)),
      ping_(std::make_unique<X11ApplicationPing>(*connection_)),
      hold_(std::make_unique<X11CaptureHold>(
          *connection_, *keyboard_, expectedKeys_, *presses_, *ping_,
          [this] { handleQueuedEvents(); },
          [this] {
              std::vector<std::uint32_t> keys;
              for (const auto& key : down_) {
                  keys.push_back(key.keycode);
              }
              return keys;
          },
          handlers_.freezeEnded)) {}

X11KeyCapture::~X11KeyCapture() {
    stopping_ = true;
    if (thread_.joinable()) {
        const char byte = 0;
        (void)!::write(wakeWrite_->get(), &byte, 1);
        thread_.join();
    }
    std::lock_guard lock(grabsMutex_);
    grab({grabs_.begin(), grabs_.end()}, false);
    connection_->sync();
    expectedKeys_.releaseGrab();
}

void X11KeyCapture::setGrabs(const std::vector<GrabbedKey>& grabs) {
    std::lock_guard lock(grabsMutex_);
    const std::set<GrabbedKey> wanted(grabs.begin(), grabs.end());
    std::vector<GrabbedKey> removed;
    std::vector<GrabbedKey> added;
    std::set_difference(grabs_.begin(), grabs_.end(), wanted.begin(), wanted.end(),
                        std::back_inserter(removed));
    std::set_difference(wanted.begin(), wanted.end(), grabs_.begin(), grabs_.end(),
                        std::back_inserter(added));
    grab(removed, false);
    grab(added, true);
    grabs_ = wanted;
    connection_->flush();
}

void X11KeyCapture::grab(const std::vector<GrabbedKey>& keys, bool install) {
    grabOn(grabWindow_, keys, install);
}

void X11KeyCapture::grabOn(xcb_window_t window, const std::vector<GrabbedKey>& keys, bool install) {
    xcb_connection_t* c = connection_->get();
    const auto device = static_cast<xcb_input_device_id_t>(connection_->coreKeyboard());
    for (const auto& key : keys) {
        std::array<std::uint32_t, kLockCombinations.size()> modifiers{};
        std::transform(kLockCombinations.begin(), kLockCombinations.end(), modifiers.begin(),
                       [&](std::uint32_t locks) { return key.modifiers | locks; });
        if (install) {
            const std::uint32_t mask =
                XCB_INPUT_XI_EVENT_MASK_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_KEY_RELEASE;
            // The reply names combinations another client holds; those stay unswallowable.
            xcb::Reply<xcb_input_xi_passive_grab_device_reply_t> reply(
                xcb_input_xi_passive_grab_device_reply(
                    c,
                    xcb_input_xi_passive_grab_device(
                        c, XCB_CURRENT_TIME, window, XCB_NONE, key.keycode, device,
                        static_cast<std::uint16_t>(modifiers.size()), 1,
                        XCB_INPUT_GRAB_TYPE_KEYCODE, XCB_INPUT_GRAB_MODE_22_SYNC,
                        XCB_INPUT_GRAB_MODE_22_ASYNC, 0, &mask, modifiers.data()),
                    nullptr));
        } else {
            xcb_input_xi_passive_ungrab_device(c, window, key.keycode, device,
                                               static_cast<std::uint16_t>(modifiers.size()),
                                               XCB_INPUT_GRAB_TYPE_KEYCODE, modifiers.data());
        }
    }
}

void X11KeyCapture::run() {
    xcb_connection_t* c = connection_->get();
    std::array<pollfd, 2> descriptors{
        {{connection_->fileDescriptor(), POLLIN, 0}, {wakeRead_->get(), POLLIN, 0}}};
    while (!stopping_) {
        for (bool more = true; more;) {
            while (auto* raw = xcb_poll_for_event(c)) {
                xcb::Reply<xcb_generic_event_t> event(raw);
                handle(*event);
            }
            runTasks();
            // A task's round trip reads events into the queue, where no poll announces
            // them: a grabbed key among them would keep the keyboard frozen.
            auto* queued = xcb_poll_for_queued_event(c);
            more = queued != nullptr;
            if (queued) {
                xcb::Reply<xcb_generic_event_t> event(queued);
                handle(*event);
            }
        }
        if (connection_->hasError()) {
            if (handlers_.lost) {
                handlers_.lost();
            }
            return;
        }
        ::poll(descriptors.data(), descriptors.size(), -1);
        char bytes[64];
        while (::read(wakeRead_->get(), bytes, sizeof bytes) > 0) {
        }
    }
}

void X11KeyCapture::handle(const xcb_generic_event_t& event) {
    if (keyboard_->handle(event) != X11KeyboardState::Change::none) {
        return;
    }
    if ((event.response_type & 0x7F) == XCB_CLIENT_MESSAGE) {
        hold_->noteAnswer(event);
        return;
    }
    if ((event.response_type & 0x7F) == XCB_PROPERTY_NOTIFY) {
        const auto& notify = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (notify.atom == activeWindowAtom_) {
            followFocus();
        }
        return;
    }
    if ((event.response_type & 0x7F) != XCB_GE_GENERIC) {
        return;
    }
    const auto& generic = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
    if (generic.extension != connection_->xinputOpcode()) {
        return;
    }
    switch (generic.event_type) {
        case XCB_INPUT_RAW_KEY_PRESS: {
            const auto& raw = reinterpret_cast<const xcb_input_raw_key_press_event_t&>(event);
            // The master's copy of a device's press.
            if (raw.deviceid != raw.sourceid) {
                break;
            }
            reportHeldKeys(raw.time);
            handleRawPress(raw.detail, raw.sourceid, event.full_sequence);
            keyboard_->keyMoved(raw.detail, true);
            down_.push_back({raw.detail, raw.time, false});
            break;
        }
        case XCB_INPUT_RAW_KEY_RELEASE: {
            const auto& raw = reinterpret_cast<const xcb_input_raw_key_release_event_t&>(event);
            if (raw.deviceid != raw.sourceid) {
                break;
            }
            keyboard_->keyMoved(raw.detail, false);
            reportHeldKeys(raw.time);
            std::erase_if(down_, [&](const DownKey& key) { return key.keycode == raw.detail; });
            // The user let the swallowed key go: the same key injected now is a press again.
            if (swallowedKey_ == raw.detail) {
                swallowedKey_.reset();
                expectedKeys_.releaseGrab();
            }
            break;
        }
        case XCB_INPUT_KEY_PRESS:
            if (!hold_->takesKeyEvent(event)) {
                handleGrabbedPress(event);
            } else {
                // Taken back before its grab could report it: typed again, it is expected anew.
                (void)isOwnGrabbed(reinterpret_cast<const xcb_input_key_press_event_t&>(event));
            }
            break;
        case XCB_INPUT_KEY_RELEASE:
            (void)hold_->takesKeyEvent(event);
            // The grab of a key ends before its release is reported.
            break;
        default:
            break;
    }
}

void X11KeyCapture::reportHeldKeys(xcb_timestamp_t now) {
    for (auto& key : down_) {
        // Modifiers and other keys that do not repeat may be held as long as one likes.
        if (key.reported || now - key.since < repeatDelayMilliseconds_ ||
            !xkb_keymap_key_repeats(&keyboard_->keymap(), key.keycode)) {
            continue;
        }
        key.reported = true;
        if (handlers_.held) {
            handlers_.held(key.keycode);
        }
    }
}

xcb_window_t X11KeyCapture::focusWindow() const {
    xcb::Reply<xcb_get_input_focus_reply_t> focus(xcb_get_input_focus_reply(
        connection_->get(), xcb_get_input_focus(connection_->get()), nullptr));
    // None and PointerRoot: keys go where the pointer is, below the root.
    return focus && focus->focus > XCB_INPUT_FOCUS_POINTER_ROOT ? focus->focus
                                                                : connection_->root();
}

void X11KeyCapture::followFocus() {
    const xcb_window_t window = focusWindow();
    std::lock_guard lock(grabsMutex_);
    if (window == grabWindow_) {
        return;
    }
    const std::vector<GrabbedKey> keys(grabs_.begin(), grabs_.end());
    grabOn(grabWindow_, keys, false);
    grabWindow_ = window;
    grabOn(grabWindow_, keys, true);
    connection_->flush();
}

bool X11KeyCapture::isGrabbed(std::uint32_t keycode, std::uint32_t modifiers) {
    std::lock_guard lock(grabsMutex_);
    const std::uint32_t exact =
        modifiers & ~(X11KeyboardState::kLockMask | X11KeyboardState::kNumLockMask);
    return grabs_.count({keycode, exact}) > 0;
}

bool X11KeyCapture::isOwn(std::uint32_t keycode, std::uint16_t sourceId) {
    return sourceId == connection_->xtestKeyboard() &&
           expectedKeys_.matchPress(keycode, presses_->latest());
}

bool X11KeyCapture::isOwnGrabbed(const xcb_input_key_press_event_t& key) {
    return key.sourceid == connection_->xtestKeyboard() &&
           expectedKeys_.matchGrabbedPress(key.detail);
}

KeyPressNumber X11KeyCapture::recordUserPress(std::uint32_t keycode, std::uint32_t modifiers,
                                              const std::string& text) {
    const auto key = static_cast<Key>(keycode - kXKeycodeOffset);
    return presses_->record(
        KeyPressText::typedBy(key, X11ModifierFlags::modifiers(modifiers), text));
}

void X11KeyCapture::handleRawPress(std::uint32_t keycode, std::uint16_t sourceId,
                                   std::uint32_t sequence) {
    const std::uint32_t modifiers = keyboard_->modifiers();
    // A grabbed press arrives once more, held by the grab: it is reported from there. While
    // a hold keeps it back, it is numbered now, in its place among the other presses.
    if (isGrabbed(keycode, modifiers)) {
        const bool mayBeOwn =
            sourceId == connection_->xtestKeyboard() && expectedKeys_.isExpectedNext(keycode);
        if (mayBeOwn) {
            expectedKeys_.notePressInPlace(keycode, presses_->latest());
        }
        if (hold_->isHolding() && !mayBeOwn) {
            hold_->beforeNumbering(sequence);
            numberedWhileHeld_.emplace_back(keycode,
                                            recordUserPress(keycode, modifiers, std::string()));
        }
        return;
    }
    Press press;
    press.keycode = keycode;
    press.modifiers = modifiers;
    press.isOwn = isOwn(keycode, sourceId);
    press.text = keyboard_->typedText(keycode, !press.isOwn);
    if (!press.isOwn) {
        hold_->beforeNumbering(sequence);
        press.number = recordUserPress(keycode, modifiers, press.text);
    }
    if (handlers_.press) {
        handlers_.press(press);
    }
    // The window manager may move the focus after announcing the active window.
    followFocus();
}

void X11KeyCapture::handleGrabbedPress(const xcb_generic_event_t& event) {
    const auto& key = reinterpret_cast<const xcb_input_key_press_event_t&>(event);
    Press press;
    press.keycode = key.detail;
    press.modifiers = key.mods.effective & 0xFF;
    press.isOwn = isOwnGrabbed(key);
    press.text = keyboard_->typedText(key.detail, false);
    if (!press.isOwn) {
        // Numbered before it holds Plovik's keys back: whoever then finds them held
        // back also finds a press after the one it asked about.
        press.number = numberedEarlier(key.detail).value_or(0);
        if (press.number == 0) {
            press.number = recordUserPress(key.detail, press.modifiers, press.text);
        }
        expectedKeys_.holdGrab();
    }
    // Plovik's hold of the keyboard took over the grab this press activated: it reached
    // nobody but Plovik, swallowed already unless typed again, and the hold keeps its grab.
    // The keys queued behind it wait while it is decided on.
    const bool tookOver = hold_->tookOverGrabOf(event);
    const bool kept = tookOver && hold_->keepQueued();
    // Our own replayed keys go straight on: nobody else may decide about them.
    const Answer answer = !press.isOwn && handlers_.grab ? handlers_.grab(press) : Answer::pass;
    const bool swallows = answer != Answer::pass;
    const bool typedAgain = tookOver && answer != Answer::swallow;
    if (tookOver) {
        if (typedAgain) {
            hold_->typeAgainFirst(press.isOwn ? std::nullopt : std::optional(press.number), event,
                                  kept);
        }
        if (kept) {
            hold_->stopKeeping();
        }
    } else if (answer == Answer::swallowAndHold) {
        // The keys pressed after it stay queued for the edit it asks for; it goes on first.
        hold_->beginFromPress(press.number, key.deviceid, key.time, key.event);
    } else if (swallows) {
        // The grab ends with the swallowed press, not with its release: keys pressed while it
        // is still down belong to the application.
        xcb_input_xi_ungrab_device(connection_->get(), key.time, key.deviceid);
    } else {
        xcb_input_xi_allow_events(connection_->get(), key.time, key.deviceid,
                                  XCB_INPUT_EVENT_MODE_REPLAY_DEVICE, 0, 0);
    }
    connection_->flush();
    if (swallows && !typedAgain) {
        swallowedKey_ = key.detail;
    } else if (!press.isOwn) {
        expectedKeys_.releaseGrab();
    }
}

std::optional<KeyPressNumber> X11KeyCapture::numberedEarlier(std::uint32_t keycode) {
    const auto found = std::find_if(numberedWhileHeld_.begin(), numberedWhileHeld_.end(),
                                    [&](const auto& press) { return press.first == keycode; });
    if (found == numberedWhileHeld_.end()) {
        return std::nullopt;
    }
    const KeyPressNumber number = found->second;
    numberedWhileHeld_.erase(found);
    return number;
}

void X11KeyCapture::handleQueuedEvents() {
    while (auto* raw = xcb_poll_for_queued_event(connection_->get())) {
        xcb::Reply<xcb_generic_event_t> event(raw);
        handle(*event);
    }
}

bool X11KeyCapture::runOnCaptureThread(std::function<void()> work,
                                       std::chrono::steady_clock::time_point deadline) {
    auto task = std::make_shared<Task>();
    task->work = std::move(work);
    std::unique_lock lock(tasksMutex_);
    tasks_.push_back(task);
    const char byte = 0;
    (void)!::write(wakeWrite_->get(), &byte, 1);
    const auto done = [&] { return task->done; };
    if (taskDone_.wait_until(lock, deadline, done) ||
        (task->started && taskDone_.wait_for(lock, kStartedWorkLimit, done))) {
        return true;
    }
    task->abandoned = true;
    return false;
}

void X11KeyCapture::runTasks() {
    while (true) {
        std::shared_ptr<Task> task;
        {
            std::lock_guard lock(tasksMutex_);
            if (tasks_.empty()) {
                return;
            }
            task = tasks_.front();
            tasks_.pop_front();
            if (task->abandoned) {
                continue;
            }
            task->started = true;
        }
        task->work();
        std::lock_guard lock(tasksMutex_);
        task->done = true;
        taskDone_.notify_all();
    }
}

std::optional<KeyPressNumber> X11KeyCapture::hold(std::chrono::milliseconds limit,
                                                  std::chrono::steady_clock::time_point deadline) {
    auto result = std::make_shared<std::optional<KeyPressNumber>>();
    auto gaveUp = std::make_shared<std::atomic<bool>>(false);
    const bool done = runOnCaptureThread(
        [this, result, gaveUp, limit] {
            *result = hold_->begin(focusWindow(), std::chrono::steady_clock::now() + limit);
            // Nobody waits for it any more: let the keys go at once.
            if (*gaveUp) {
                hold_->release();
            }
        },
        deadline);
    if (!done) {
        *gaveUp = true;
        return std::nullopt;
    }
    return *result;
}

bool X11KeyCapture::postAhead(const std::vector<SyntheticKeyEvent>& events,
                              std::chrono::steady_clock::time_point deadline) {
    auto result = std::make_shared<bool>(false);
    const bool done = runOnCaptureThread(
        [this, result, events] { *result = hold_->postAhead(events); }, deadline);
    return done && *result;
}

bool X11KeyCapture::passesOnWithheldPress(KeyPressNumber press) const {
    return hold_->passesOn(press);
}

void X11KeyCapture::releaseHold(std::chrono::steady_clock::time_point deadline) {
    (void)runOnCaptureThread([this] { hold_->release(); }, deadline);
}

}  // namespace plovik
