#pragma once

#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-x11.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/XkbHandles.h"
#include "platform/x11/X11Connection.h"

namespace plovik::testing {

// A focused window standing in for an application: it records what each key press
// types, translated the way toolkits do (the key map read at the press, the event's
// modifiers and group), on a thread of its own.
class RecordingWindow {
  public:
    RecordingWindow() {
        auto opened = X11Connection::open();
        connection_ = std::move(std::get<0>(opened));
        xcb_connection_t* c = connection_->get();
        window_ = xcb_generate_id(c);
        const std::uint32_t values[] = {XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE};
        xcb_create_window(c, XCB_COPY_FROM_PARENT, window_, connection_->root(), 0, 0, 200, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                          values);
        xcb_map_window(c, window_);
        connection_->sync();
        xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, window_, XCB_CURRENT_TIME);
        connection_->sync();
        context_.reset(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
        thread_ = std::thread([this] { run(); });
    }
    ~RecordingWindow() {
        stopping_ = true;
        setReading(true);
        // Any event wakes the thread; a client message to ourselves is the simplest.
        xcb_client_message_event_t wake{};
        wake.response_type = XCB_CLIENT_MESSAGE;
        wake.window = window_;
        wake.format = 32;
        xcb_send_event(connection_->get(), 0, window_, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&wake));
        connection_->flush();
        thread_.join();
    }

    std::string text() const {
        std::lock_guard lock(mutex_);
        return text_;
    }
    std::vector<std::uint32_t> keycodes() const {
        std::lock_guard lock(mutex_);
        return keycodes_;
    }
    // Says in WM_PROTOCOLS that it answers _NET_WM_PING, as toolkits' windows do.
    void acceptPings() {
        xcb_connection_t* c = connection_->get();
        pingAtom_ = connection_->atom("_NET_WM_PING");
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window_, connection_->atom("WM_PROTOCOLS"),
                            XCB_ATOM_ATOM, 32, 1, &pingAtom_);
        connection_->sync();
    }
    // A busy application: reads nothing until it may again.
    void setReading(bool reading) {
        std::lock_guard lock(mutex_);
        reading_ = reading;
        readingChanged_.notify_all();
    }
    void clear() {
        std::lock_guard lock(mutex_);
        text_.clear();
        keycodes_.clear();
    }

  private:
    void run() {
        while (!stopping_) {
            xcb::Reply<xcb_generic_event_t> event(xcb_wait_for_event(connection_->get()));
            if (!event) {
                return;
            }
            {
                std::unique_lock lock(mutex_);
                readingChanged_.wait(lock, [&] { return reading_ || stopping_; });
            }
            if ((event->response_type & 0x7F) == XCB_KEY_PRESS) {
                record(reinterpret_cast<const xcb_key_press_event_t&>(*event));
            } else if ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE) {
                answerPing(reinterpret_cast<const xcb_client_message_event_t&>(*event));
            }
        }
    }

    void answerPing(xcb_client_message_event_t message) {
        if (pingAtom_ == XCB_ATOM_NONE || message.data.data32[0] != pingAtom_) {
            return;
        }
        message.window = connection_->root();
        xcb_send_event(connection_->get(), 0, connection_->root(),
                       XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                       reinterpret_cast<const char*>(&message));
        connection_->flush();
    }

    void record(const xcb_key_press_event_t& press) {
        // Read per press: spare key codes get bound while the test runs.
        xkb::Keymap keymap(xkb_x11_keymap_new_from_device(context_.get(), connection_->get(),
                                                          connection_->coreKeyboard(),
                                                          XKB_KEYMAP_COMPILE_NO_FLAGS));
        xkb::State state(xkb_state_new(keymap.get()));
        xkb_state_update_mask(state.get(), press.state & 0xFF, 0, 0, 0, 0,
                              (press.state >> 13) & 0x3);
        char buffer[64] = {};
        xkb_state_key_get_utf8(state.get(), press.detail, buffer, sizeof buffer);
        std::lock_guard lock(mutex_);
        keycodes_.push_back(press.detail);
        if (press.detail == 22) {
            if (!text_.empty()) {
                // Back to the start of the last UTF-8 character.
                std::size_t end = text_.size() - 1;
                while (end > 0 && (static_cast<unsigned char>(text_[end]) & 0xC0) == 0x80) {
                    --end;
                }
                text_.erase(end);
            }
        } else if (press.detail == 36) {
            text_ += "\n";
        } else {
            text_ += buffer;
        }
    }

    std::unique_ptr<X11Connection> connection_;
    xcb_window_t window_ = 0;
    xkb::Context context_;
    mutable std::mutex mutex_;
    std::string text_;
    std::vector<std::uint32_t> keycodes_;
    std::atomic<bool> stopping_{false};
    bool reading_ = true;
    std::condition_variable readingChanged_;
    xcb_atom_t pingAtom_ = XCB_ATOM_NONE;
    std::thread thread_;
};

}  // namespace plovik::testing
