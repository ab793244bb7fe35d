#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/platform/KeyCapture.h"
#include "platform/linux/GLibMainQueue.h"
#include "platform/linux/XkbKeymapLibrary.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/XTestKeyTyper.h"
#include "x11/RecordingWindow.h"
#include "x11/VirtualX.h"

namespace plovik::testing {

// A private X server with US and Russian groups, the desktop's keyboard ports on a
// private main loop, a focused window that records what it receives, and a user
// who types through XTest like any other program (not announced as Plovik's keys).
class X11DesktopFixture : public ::testing::Test {
  protected:
    using Environment = X11Desktop::Environment;

    void SetUp() override { start(X11Desktop::processEnvironment()); }

    void start(Environment environment) {
        x_ = std::make_unique<VirtualX>();
        context_ = g_main_context_new();
        queue_ = std::make_unique<GLibMainQueue>(context_);
        keymaps_ = std::make_shared<XkbKeymapLibrary>();
        auto opened = X11Desktop::open(*queue_, *keymaps_, std::move(environment), context_);
        ASSERT_TRUE(std::holds_alternative<std::unique_ptr<X11Desktop>>(opened))
            << std::get<std::string>(opened);
        desktop_ = std::move(std::get<0>(opened));
        window_ = std::make_unique<RecordingWindow>();
        auto user = X11Connection::open();
        userConnection_ = std::move(std::get<0>(user));
        userKeyboard_ = std::make_unique<X11KeyboardState>(*userConnection_, std::string());
        user_ = std::make_unique<XTestKeyTyper>(*userConnection_, *userKeyboard_, userKeys_);
    }

    void TearDown() override {
        tap_.reset();
        user_.reset();
        userKeyboard_.reset();
        userConnection_.reset();
        window_.reset();
        desktop_.reset();
        queue_.reset();
        if (context_) {
            g_main_context_unref(context_);
        }
        x_.reset();
    }

    // Key codes the keyboard leaves without symbols: what Plovik has for spares.
    std::size_t emptyKeycodeCount() const {
        xcb_connection_t* c = userConnection_->get();
        const xcb_setup_t* setup = xcb_get_setup(c);
        const auto count = static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1);
        xcb::Reply<xcb_get_keyboard_mapping_reply_t> mapping(xcb_get_keyboard_mapping_reply(
            c, xcb_get_keyboard_mapping(c, setup->min_keycode, count), nullptr));
        if (!mapping) {
            return 0;
        }
        const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(mapping.get());
        const int perKeycode = mapping->keysyms_per_keycode;
        std::size_t empty = 0;
        for (int index = 0; index < count; ++index) {
            empty += std::all_of(keysyms + index * perKeycode, keysyms + (index + 1) * perKeycode,
                                 [](xcb_keysym_t keysym) { return keysym == 0; });
        }
        return empty;
    }

    // Installs a tap that records every event and answers with `answer`.
    void installTap(std::function<KeyDisposition(const KeyEvent&)> answer = [](const KeyEvent&) {
        return KeyDisposition::pass;
    }) {
        tap_ = desktop_->tapFactory().createTap([this, answer](const KeyEvent& event) {
            events_.push_back(event);
            return answer(event);
        });
        ASSERT_NE(tap_, nullptr) << desktop_->tapFactory().lastError().value_or("");
        tap_->setEnabled(true);
    }

    // Turns the loop as a program's main loop does: asleep until something arrives, so
    // that a grabbed key's question is answered at once.
    bool runUntil(const std::function<bool()>& condition,
                  std::chrono::milliseconds limit = std::chrono::seconds(3)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        GSource* tick = g_timeout_source_new(5);
        g_source_set_callback(
            tick, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr, nullptr);
        g_source_attach(tick, context_);
        bool met = condition();
        while (!met && std::chrono::steady_clock::now() <= deadline) {
            g_main_context_iteration(context_, TRUE);
            met = condition();
        }
        g_source_destroy(tick);
        g_source_unref(tick);
        return met;
    }
    void runFor(std::chrono::milliseconds duration) {
        runUntil([] { return false; }, duration);
    }

    // The user presses and releases keys by X key code (their place on the keyboard).
    void userPresses(const std::vector<std::uint32_t>& keycodes, std::uint32_t modifiers = 0) {
        userKeyboard_->reload();
        for (const auto keycode : keycodes) {
            user_->key(keycode, true, modifiers);
            user_->key(keycode, false);
        }
    }
    void userTypes(const std::string& text) {
        userKeyboard_->reload();
        ASSERT_TRUE(user_->type(text));
    }

    // The characters of every recorded event that typed something, joined.
    std::string tappedText(bool ownEvents) const {
        std::string text;
        for (const auto& event : events_) {
            if (event.isOwnEvent == ownEvents) {
                text += event.text.value_or("");
            }
        }
        return text;
    }
    std::size_t tappedCount(Key key) const {
        std::size_t count = 0;
        for (const auto& event : events_) {
            count += event.key == key ? 1 : 0;
        }
        return count;
    }
    std::size_t receivedCount(std::uint32_t keycode) const {
        std::size_t count = 0;
        for (const auto code : window_->keycodes()) {
            count += code == keycode ? 1 : 0;
        }
        return count;
    }

    std::unique_ptr<VirtualX> x_;
    GMainContext* context_ = nullptr;
    std::unique_ptr<GLibMainQueue> queue_;
    std::shared_ptr<XkbKeymapLibrary> keymaps_;
    std::unique_ptr<X11Desktop> desktop_;
    std::unique_ptr<RecordingWindow> window_;
    std::unique_ptr<X11Connection> userConnection_;
    std::unique_ptr<X11KeyboardState> userKeyboard_;
    X11ExpectedKeys userKeys_;
    std::unique_ptr<XTestKeyTyper> user_;
    std::unique_ptr<KeyCapture> tap_;
    std::vector<KeyEvent> events_;
};

}  // namespace plovik::testing
