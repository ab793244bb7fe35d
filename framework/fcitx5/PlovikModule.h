#pragma once

#include <fcitx-module/wayland/wayland_public.h>
#include <fcitx-utils/event.h>
#include <fcitx-utils/handlertable.h>
#include <fcitx-utils/trackableobject.h>
#include <fcitx/addoninstance.h>
#include <fcitx/event.h>
#include <fcitx/inputcontext.h>
#include <fcitx/instance.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/fcitx5/ModuleListener.h"
#include "framework/fcitx5/PlovikConnection.h"
#include "framework/fcitx5/PressBook.h"
#include "platform/fcitx5/protocol/ModuleMessage.h"

namespace plovik {

// Plovik's eyes and hands inside Fcitx5. It sees each key press before any input method
// does and tells a connected Plovik about it, holds the presses Plovik may swallow for a
// few milliseconds at most, reports the focused field (kind, text around the caret) and the
// input methods, and makes Plovik's edits in the field, in order with the user's keys.
// Without Plovik connected it does nothing at all.
class PlovikModule final : public fcitx::AddonInstance {
  public:
    // The longest a press waits for Plovik's answer, as on X11 with a grabbed key.
    static constexpr std::chrono::milliseconds kDefaultAnswerBudget{4};
    // A swallowed Return that Plovik has not posted again by then goes on by itself.
    static constexpr std::chrono::milliseconds kWithholdLimit{500};

    explicit PlovikModule(fcitx::Instance* instance);
    ~PlovikModule() override;

    // PLOVIK_FCITX5_ANSWER_MS (1-50) lets tests on a crowded machine wait longer.
    static std::chrono::milliseconds answerBudget(const char* setting);
    // PLOVIK_FCITX5_HOLD_TIMES names a file that gets, for the benchmarks, how long each
    // held key waited, in microseconds, one per line; nothing else is written.

  private:
    enum class Answer { swallow, pass, late };

    void watchEvents();
    void watchWaylandConnections();
    void listen();
    void acceptPlovik();
    void onPlovikEvent(fcitx::IOEventFlags flags);
    void greet();
    void disconnect();
    void send(const ModuleMessage& message);
    void handlePending();
    void schedulePending();
    void handle(const ModuleMessage& message);

    void onKey(fcitx::KeyEvent& event);
    void sendTranslatedKeyAsKey(fcitx::KeyEvent& event);
    Answer waitForAnswer(std::uint64_t sequence);
    Answer timedWaitForAnswer(std::uint64_t sequence);
    void withhold(std::uint64_t sequence, std::uint16_t key, std::uint8_t modifiers);
    void releaseWithheld(const std::vector<PressBook::Withheld>& presses);
    void armWithheldTimer();

    void onFocusIn(fcitx::InputContext* context);
    void onFocusOut(fcitx::InputContext* context);
    void reportFocus();
    void reportSurrounding();
    void reportInputMethods();
    fcitx::InputContext* focusedContext() const;

    module::EditStatus edit(const module::Edit& request);
    void postKey(const module::PostKey& request);
    bool forward(std::uint16_t key, std::uint8_t modifiers);
    void selectInputMethod(const std::string& name);
    void flushDisplays();

    fcitx::Instance* instance_;
    std::chrono::milliseconds answerBudget_;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> holdTimes_{nullptr, &std::fclose};
    std::unique_ptr<ModuleListener> listener_;
    std::unique_ptr<fcitx::EventSourceIO> listenerEvent_;
    std::unique_ptr<PlovikConnection> plovik_;
    std::unique_ptr<fcitx::EventSourceIO> plovikEvent_;
    // Sources ended from inside their own callbacks are destroyed later.
    std::vector<std::unique_ptr<fcitx::EventSource>> retired_;
    std::unique_ptr<fcitx::EventSource> pendingEvent_;
    std::unique_ptr<fcitx::EventSourceTime> withheldTimer_;
    std::deque<ModuleMessage> pending_;
    PressBook presses_;
    fcitx::TrackableObjectReference<fcitx::InputContext> focused_;
    std::uint64_t focusNumber_ = 0;
    std::vector<std::unique_ptr<fcitx::HandlerTableEntry<fcitx::EventHandler>>> watchers_;
    std::unique_ptr<fcitx::HandlerTableEntry<fcitx::WaylandConnectionCreated>> waylandCreated_;
    std::unique_ptr<fcitx::HandlerTableEntry<fcitx::WaylandConnectionClosed>> waylandClosed_;
    std::vector<wl_display*> displays_;
};

}  // namespace plovik
