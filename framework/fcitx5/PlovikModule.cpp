#include "framework/fcitx5/PlovikModule.h"

#include <fcitx-utils/capabilityflags.h>
#include <fcitx-utils/key.h>
#include <fcitx-utils/log.h>
#include <fcitx/addonmanager.h>
#include <fcitx/inputmethodgroup.h>
#include <fcitx/inputmethodmanager.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <variant>

#include "core/platform/Key.h"
#include "core/platform/Modifiers.h"
#include "framework/fcitx5/EditCheck.h"
#include "framework/fcitx5/SurroundingWindow.h"
#include "platform/fcitx5/protocol/ModuleSocketPath.h"

namespace plovik {

namespace {

constexpr std::uint32_t kEvdevOffset = 8;

const fcitx::CapabilityFlags kSecret{fcitx::CapabilityFlag::Password,
                                     fcitx::CapabilityFlag::Sensitive};

std::uint8_t modifiersOf(fcitx::KeyStates states) {
    using fcitx::KeyState;
    Modifiers modifiers;
    if (states.test(KeyState::Shift)) {
        modifiers |= Modifier::shift;
    }
    if (states.test(KeyState::Ctrl)) {
        modifiers |= Modifier::control;
    }
    if (states.test(KeyState::Alt)) {
        modifiers |= Modifier::alt;
    }
    if (states.testAny(fcitx::KeyStates{KeyState::Super, KeyState::Super2})) {
        modifiers |= Modifier::super;
    }
    if (states.test(KeyState::CapsLock)) {
        modifiers |= Modifier::capsLock;
    }
    if (states.test(KeyState::NumLock)) {
        modifiers |= Modifier::numLock;
    }
    if (states.test(KeyState::Mod5)) {
        modifiers |= Modifier::levelThree;
    }
    return modifiers.bits();
}

// What the key types; a command (Control, Super) types nothing.
std::string textOf(const fcitx::Key& key, std::uint8_t modifiers) {
    if (Modifiers::fromBits(modifiers).hasAny(Modifier::control | Modifier::super)) {
        return {};
    }
    return fcitx::Key::keySymToUTF8(key.sym());
}

bool isReturn(std::uint16_t key) {
    return key == evdevCode(Key::enter) || key == evdevCode(Key::keypadEnter);
}

std::optional<fcitx::KeySym> symbolOf(std::uint16_t key) {
    if (key == evdevCode(Key::enter)) {
        return FcitxKey_Return;
    }
    if (key == evdevCode(Key::keypadEnter)) {
        return FcitxKey_KP_Enter;
    }
    return std::nullopt;
}

fcitx::KeyStates statesOf(std::uint8_t bits) {
    const Modifiers modifiers = Modifiers::fromBits(bits);
    fcitx::KeyStates states;
    if (modifiers.has(Modifier::shift)) {
        states |= fcitx::KeyState::Shift;
    }
    if (modifiers.has(Modifier::control)) {
        states |= fcitx::KeyState::Ctrl;
    }
    if (modifiers.has(Modifier::alt)) {
        states |= fcitx::KeyState::Alt;
    }
    return states;
}

}  // namespace

std::chrono::milliseconds PlovikModule::answerBudget(const char* setting) {
    const long milliseconds = setting ? std::strtol(setting, nullptr, 10) : 0;
    return milliseconds >= 1 && milliseconds <= 50 ? std::chrono::milliseconds(milliseconds)
                                                   : kDefaultAnswerBudget;
}

PlovikModule::PlovikModule(fcitx::Instance* instance)
    : instance_(instance), answerBudget_(answerBudget(std::getenv("PLOVIK_FCITX5_ANSWER_MS"))) {
    if (const char* path = std::getenv("PLOVIK_FCITX5_HOLD_TIMES"); path && *path) {
        holdTimes_.reset(std::fopen(path, "ae"));
    }
    watchEvents();
    watchWaylandConnections();
    listen();
}

PlovikModule::~PlovikModule() {
    // A swallowed Return still belongs to the user.
    releaseWithheld(presses_.releaseAll());
}

void PlovikModule::watchEvents() {
    using fcitx::EventType;
    using fcitx::EventWatcherPhase;
    const auto context = [](fcitx::Event& event) {
        return static_cast<fcitx::InputContextEvent&>(event).inputContext();
    };
    watchers_.push_back(instance_->watchEvent(
        EventType::InputContextKeyEvent, EventWatcherPhase::PreInputMethod,
        [this](fcitx::Event& event) { onKey(static_cast<fcitx::KeyEvent&>(event)); }));
    watchers_.push_back(
        instance_->watchEvent(EventType::InputContextKeyEvent, EventWatcherPhase::PostInputMethod,
                              [this](fcitx::Event& event) {
                                  sendTranslatedKeyAsKey(static_cast<fcitx::KeyEvent&>(event));
                              }));
    watchers_.push_back(
        instance_->watchEvent(EventType::InputContextFocusIn, EventWatcherPhase::Default,
                              [this, context](fcitx::Event& event) { onFocusIn(context(event)); }));
    watchers_.push_back(instance_->watchEvent(
        EventType::InputContextFocusOut, EventWatcherPhase::Default,
        [this, context](fcitx::Event& event) { onFocusOut(context(event)); }));
    watchers_.push_back(instance_->watchEvent(EventType::InputContextCapabilityChanged,
                                              EventWatcherPhase::Default,
                                              [this, context](fcitx::Event& event) {
                                                  if (context(event) == focusedContext()) {
                                                      reportFocus();
                                                      reportSurrounding();
                                                  }
                                              }));
    watchers_.push_back(instance_->watchEvent(EventType::InputContextSurroundingTextUpdated,
                                              EventWatcherPhase::Default,
                                              [this, context](fcitx::Event& event) {
                                                  if (context(event) == focusedContext()) {
                                                      reportSurrounding();
                                                  }
                                              }));
    for (const auto type :
         {EventType::InputContextInputMethodActivated, EventType::InputMethodGroupChanged}) {
        watchers_.push_back(instance_->watchEvent(type, EventWatcherPhase::Default,
                                                  [this](fcitx::Event&) { reportInputMethods(); }));
    }
}

// Edits made outside a key's handling reach a Wayland client only when the connection is
// flushed: the Wayland frontend flushes after the keys it reads, not after our socket.
void PlovikModule::watchWaylandConnections() {
    auto* wayland = instance_->addonManager().addon("wayland");
    if (!wayland) {
        return;
    }
    waylandCreated_ = wayland->call<fcitx::IWaylandModule::addConnectionCreatedCallback>(
        [this](const std::string&, wl_display* display, fcitx::FocusGroup*) {
            displays_.push_back(display);
        });
    waylandClosed_ = wayland->call<fcitx::IWaylandModule::addConnectionClosedCallback>(
        [this](const std::string&, wl_display* display) { std::erase(displays_, display); });
}

void PlovikModule::listen() {
    const auto path = ModuleSocketPath::forThisProcess();
    if (!path) {
        FCITX_WARN() << "plovik: no usable XDG_RUNTIME_DIR, so Plovik cannot connect";
        return;
    }
    auto listening = ModuleListener::listen(*path);
    if (auto* error = std::get_if<std::string>(&listening)) {
        FCITX_WARN() << "plovik: " << *error;
        return;
    }
    listener_ = std::move(std::get<0>(listening));
    listenerEvent_ =
        instance_->eventLoop().addIOEvent(listener_->descriptor(), fcitx::IOEventFlag::In,
                                          [this](fcitx::EventSourceIO*, int, fcitx::IOEventFlags) {
                                              acceptPlovik();
                                              return true;
                                          });
}

void PlovikModule::acceptPlovik() {
    SocketDescriptor socket = listener_->accept();
    if (!socket.isOpen()) {
        return;
    }
    // The newest Plovik wins: an older connection is most likely a copy that hung.
    disconnect();
    plovik_ = std::make_unique<PlovikConnection>(std::move(socket));
    plovikEvent_ = instance_->eventLoop().addIOEvent(
        plovik_->descriptor(), fcitx::IOEventFlag::In,
        [this](fcitx::EventSourceIO*, int, fcitx::IOEventFlags flags) {
            onPlovikEvent(flags);
            return true;
        });
    greet();
}

void PlovikModule::greet() {
    send(module::Hello{});
    reportInputMethods();
    if (auto* context = instance_->mostRecentInputContext(); context && context->hasFocus()) {
        onFocusIn(context);
    }
}

void PlovikModule::onPlovikEvent(fcitx::IOEventFlags flags) {
    if (!plovik_) {
        return;
    }
    if (flags.test(fcitx::IOEventFlag::Out)) {
        plovik_->flush();
    }
    if (flags.testAny(fcitx::IOEventFlags{fcitx::IOEventFlag::In, fcitx::IOEventFlag::Hup,
                                          fcitx::IOEventFlag::Err})) {
        plovik_->receive(pending_);
    }
    handlePending();
}

void PlovikModule::disconnect() {
    if (!plovik_) {
        return;
    }
    plovik_.reset();
    pending_.clear();
    if (plovikEvent_) {
        plovikEvent_->setEnabled(false);
        retired_.push_back(std::move(plovikEvent_));
    }
    // Nothing may stay held for a Plovik that is gone.
    releaseWithheld(presses_.releaseAll());
    presses_.reset();
    schedulePending();
}

void PlovikModule::send(const ModuleMessage& message) {
    if (!plovik_) {
        return;
    }
    plovik_->send(message);
    if (plovik_->isBroken()) {
        disconnect();
    } else if (plovikEvent_) {
        plovikEvent_->setEvents(plovik_->hasUnsent() ? fcitx::IOEventFlags{fcitx::IOEventFlag::In,
                                                                           fcitx::IOEventFlag::Out}
                                                     : fcitx::IOEventFlags{fcitx::IOEventFlag::In});
    }
}

void PlovikModule::handlePending() {
    while (plovik_ && !pending_.empty()) {
        const ModuleMessage message = std::move(pending_.front());
        pending_.pop_front();
        handle(message);
    }
    if (plovik_ && plovik_->isBroken()) {
        disconnect();
    }
    flushDisplays();
}

// Runs what is left once the current key's handling is over, and frees retired sources.
void PlovikModule::schedulePending() {
    pendingEvent_ = instance_->eventLoop().addDeferEvent([this](fcitx::EventSource*) {
        retired_.clear();
        handlePending();
        return true;
    });
}

void PlovikModule::handle(const ModuleMessage& message) {
    if (const auto* keys = std::get_if<module::HeldKeys>(&message)) {
        presses_.setHeldKeys(keys->keys);
    } else if (const auto* request = std::get_if<module::Edit>(&message)) {
        send(module::EditDone{request->request, edit(*request)});
    } else if (const auto* post = std::get_if<module::PostKey>(&message)) {
        postKey(*post);
    } else if (const auto* select = std::get_if<module::SelectInputMethod>(&message)) {
        selectInputMethod(select->name);
    } else if (const auto* sync = std::get_if<module::Sync>(&message)) {
        send(module::Synced{sync->request});
    }
    // An answer outside a wait came too late: its press went on already.
}

void PlovikModule::onKey(fcitx::KeyEvent& event) {
    const fcitx::Key& key = event.rawKey();
    if (!plovik_ || event.isRelease() || key.isModifier() ||
        key.code() <= static_cast<int>(kEvdevOffset)) {
        return;
    }
    const auto code = static_cast<std::uint16_t>(key.code() - kEvdevOffset);
    const std::uint8_t modifiers = modifiersOf(key.states());
    // A password field's keys are nobody's business; only Plovik's own shortcuts are told.
    const bool secret = event.inputContext()->capabilityFlags().testAny(kSecret);
    const bool command =
        Modifiers::fromBits(modifiers).hasAny(Modifier::control | Modifier::alt | Modifier::super);
    const bool held = presses_.isHeld(code, modifiers) && (!secret || command);
    if (secret && !held) {
        return;
    }
    // A later key lets a withheld Return go first, in the order they were typed.
    releaseWithheld(presses_.releaseAll());
    const std::uint64_t sequence = presses_.number();
    send(module::Press{sequence, code, modifiers, secret ? std::string() : textOf(key, modifiers),
                       key.states().test(fcitx::KeyState::Repeat), held});
    if (!held) {
        presses_.notePassed(sequence);
        return;
    }
    switch (timedWaitForAnswer(sequence)) {
        case Answer::swallow:
            event.filterAndAccept();
            send(module::PressTaken{sequence});
            if (isReturn(code)) {
                withhold(sequence, code, modifiers);
            }
            break;
        case Answer::late:
            send(module::PressWentOn{sequence});
            [[fallthrough]];
        case Answer::pass:
            presses_.notePassed(sequence);
            break;
    }
    if (!pending_.empty()) {
        schedulePending();
    }
}

// Where Fcitx5 applies a layout itself (the compositor cannot switch, as on sway), it
// commits the text of a letter at once, while a key it lets go on (Space, Return) waits in
// GTK's event queue: a fast next letter overtakes it ("окно.Н" for "окно.\nН"). Sent
// as a key of the layout's own symbol, the letter queues behind it, as on X11.
void PlovikModule::sendTranslatedKeyAsKey(fcitx::KeyEvent& event) {
    auto* context = event.inputContext();
    if (!plovik_ || !event.forward() || std::string_view(context->frontend()) != "dbus" ||
        !context->capabilityFlags().test(fcitx::CapabilityFlag::KeyEventOrderFix)) {
        return;
    }
    const fcitx::Key& translated = event.rawKey();
    if (translated.sym() == event.origKey().sym() ||
        translated.states().testAny(fcitx::KeyStates{fcitx::KeyState::Ctrl, fcitx::KeyState::Alt,
                                                     fcitx::KeyState::Super})) {
        return;
    }
    const std::uint32_t character = fcitx::Key::keySymToUnicode(translated.sym());
    if (character < 0x20 || character == 0x7f) {
        return;
    }
    fcitx::KeyStates states = translated.states();
    states.unset(fcitx::KeyState::Repeat);
    event.filterAndAccept();
    context->forwardKey(fcitx::Key(translated.sym(), states, translated.code()), event.isRelease(),
                        event.time());
}

PlovikModule::Answer PlovikModule::timedWaitForAnswer(std::uint64_t sequence) {
    if (!holdTimes_) {
        return waitForAnswer(sequence);
    }
    const auto start = std::chrono::steady_clock::now();
    const Answer answer = waitForAnswer(sequence);
    const auto waited = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    std::fprintf(holdTimes_.get(), "%lld\n", static_cast<long long>(waited.count()));
    std::fflush(holdTimes_.get());
    return answer;
}

// Messages Plovik sent before its answer are handled in order meanwhile; those after it
// wait until this press has gone its way.
PlovikModule::Answer PlovikModule::waitForAnswer(std::uint64_t sequence) {
    const auto deadline = std::chrono::steady_clock::now() + answerBudget_;
    while (plovik_) {
        while (plovik_ && !pending_.empty()) {
            const ModuleMessage message = std::move(pending_.front());
            pending_.pop_front();
            if (const auto* answer = std::get_if<module::Answer>(&message)) {
                if (answer->sequence == sequence) {
                    return answer->swallow ? Answer::swallow : Answer::pass;
                }
                continue;
            }
            handle(message);
        }
        if (!plovik_ || !plovik_->waitForInput(deadline)) {
            break;
        }
        plovik_->receive(pending_);
        if (plovik_->isBroken() && pending_.empty()) {
            disconnect();
        }
    }
    return Answer::late;
}

void PlovikModule::withhold(std::uint64_t sequence, std::uint16_t key, std::uint8_t modifiers) {
    presses_.withhold(
        {sequence, key, modifiers, std::chrono::steady_clock::now() + kWithholdLimit});
    armWithheldTimer();
}

void PlovikModule::releaseWithheld(const std::vector<PressBook::Withheld>& presses) {
    for (const auto& press : presses) {
        forward(press.key, press.modifiers);
        presses_.notePassed(press.sequence);
        send(module::PressWentOn{press.sequence});
    }
    if (!presses.empty()) {
        flushDisplays();
    }
}

void PlovikModule::armWithheldTimer() {
    const auto deadline = presses_.nextDeadline();
    if (!deadline) {
        return;
    }
    const auto wait = std::chrono::duration_cast<std::chrono::microseconds>(
        *deadline - std::chrono::steady_clock::now());
    withheldTimer_ = instance_->eventLoop().addTimeEvent(
        CLOCK_MONOTONIC, fcitx::now(CLOCK_MONOTONIC) + std::max<std::int64_t>(wait.count(), 0),
        1000, [this](fcitx::EventSourceTime*, std::uint64_t) {
            releaseWithheld(presses_.releaseExpired(std::chrono::steady_clock::now()));
            armWithheldTimer();
            return true;
        });
}

void PlovikModule::onFocusIn(fcitx::InputContext* context) {
    focused_ = context->watch();
    ++focusNumber_;
    reportFocus();
    reportSurrounding();
}

void PlovikModule::onFocusOut(fcitx::InputContext* context) {
    if (context != focusedContext()) {
        return;
    }
    reportFocus();
    focused_.unwatch();
}

fcitx::InputContext* PlovikModule::focusedContext() const {
    return focused_.get();
}

void PlovikModule::reportFocus() {
    auto* context = focusedContext();
    if (!context) {
        return;
    }
    send(module::Focus{focusNumber_, context->hasFocus(),
                       static_cast<std::uint64_t>(context->capabilityFlags()), context->program(),
                       context->frontend()});
}

void PlovikModule::reportSurrounding() {
    auto* context = focusedContext();
    if (!context) {
        return;
    }
    const auto& surrounding = context->surroundingText();
    if (context->capabilityFlags().testAny(kSecret) ||
        !context->capabilityFlags().test(fcitx::CapabilityFlag::SurroundingText) ||
        !surrounding.isValid()) {
        send(module::Surrounding{focusNumber_, false, {}, 0, 0});
        return;
    }
    send(SurroundingWindow::cut(focusNumber_, surrounding.text(), surrounding.cursor(),
                                surrounding.anchor()));
}

void PlovikModule::reportInputMethods() {
    module::InputMethods methods;
    for (const auto& item : instance_->inputMethodManager().currentGroup().inputMethodList()) {
        methods.enabled.push_back(item.name());
    }
    auto* context = focusedContext();
    methods.current = context ? instance_->inputMethod(context) : instance_->currentInputMethod();
    send(methods);
}

module::EditStatus PlovikModule::edit(const module::Edit& request) {
    auto* context = focusedContext();
    EditCheck::Field field;
    if (context && !context->capabilityFlags().testAny(kSecret)) {
        const auto& surrounding = context->surroundingText();
        field = EditCheck::Field{
            focusNumber_,
            context->hasFocus(),
            context->capabilityFlags().test(fcitx::CapabilityFlag::SurroundingText) &&
                surrounding.isValid(),
            surrounding.text(),
            surrounding.cursor(),
            surrounding.anchor()};
    }
    const auto verdict = EditCheck::check(request, field, presses_.lastPassed());
    if (verdict.status != module::EditStatus::done) {
        return verdict.status;
    }
    const auto count = static_cast<int>(verdict.deleteCount);
    context->deleteSurroundingText(-count, verdict.deleteCount);
    if (!request.replacement.empty()) {
        context->commitString(request.replacement);
    }
    if (!request.selectAfter.empty()) {
        selectInputMethod(request.selectAfter);
    }
    flushDisplays();
    return verdict.status;
}

void PlovikModule::postKey(const module::PostKey& request) {
    if (request.forSequence != 0 && !presses_.release(request.forSequence)) {
        // The module let that press go on by itself already.
        return;
    }
    forward(request.key, request.modifiers);
    flushDisplays();
}

bool PlovikModule::forward(std::uint16_t key, std::uint8_t modifiers) {
    auto* context = focusedContext();
    const auto symbol = symbolOf(key);
    if (!context || !symbol) {
        return false;
    }
    context->forwardKey(fcitx::Key(*symbol, statesOf(modifiers), key + kEvdevOffset), false);
    return true;
}

void PlovikModule::selectInputMethod(const std::string& name) {
    const auto& items = instance_->inputMethodManager().currentGroup().inputMethodList();
    if (std::none_of(items.begin(), items.end(), [&](const fcitx::InputMethodGroupItem& item) {
            return item.name() == name;
        })) {
        reportInputMethods();
        return;
    }
    if (auto* context = focusedContext()) {
        instance_->setCurrentInputMethod(context, name, false);
    } else {
        instance_->setCurrentInputMethod(name);
    }
    reportInputMethods();
}

void PlovikModule::flushDisplays() {
    for (auto* display : displays_) {
        wl_display_flush(display);
    }
}

}  // namespace plovik
