#include "platform/x11/X11KeyCaptureFactory.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>

#include "core/platform/Key.h"
#include "platform/x11/X11ModifierFlags.h"

namespace plovik {

namespace {

KeyEvent keyEvent(const X11KeyCapture::Press& press) {
    KeyEvent event;
    event.key = static_cast<Key>(press.keycode - kXKeycodeOffset);
    event.modifiers = X11ModifierFlags::modifiers(press.modifiers);
    event.text = press.text;
    event.isOwnEvent = press.isOwn;
    event.pressNumber = press.number;
    return event;
}

// One grabbed press waiting for the main thread's answer. Whoever moves it out of
// `waiting` first decides its fate: the main thread by starting to decide (the capture
// thread then waits for that answer), or the capture thread by giving up (the press goes
// on, and the main thread learns of it as a press it cannot swallow).
struct Answer {
    enum class Stage { waiting, claimed, decided, abandoned };
    std::mutex mutex;
    std::condition_variable ready;
    Stage stage = Stage::waiting;
    KeyDisposition disposition = KeyDisposition::pass;
};

// The main thread takes a grabbed press only while the capture still holds it for the answer.
class GrabbedPressClaim final : public PressClaim {
  public:
    explicit GrabbedPressClaim(std::shared_ptr<Answer> answer) : answer_(std::move(answer)) {}
    bool take() override {
        std::lock_guard lock(answer_->mutex);
        if (answer_->stage != Answer::Stage::waiting) {
            return false;
        }
        answer_->stage = Answer::Stage::claimed;
        return true;
    }

  private:
    std::shared_ptr<Answer> answer_;
};

}  // namespace

struct X11KeyCaptureFactory::TapState {
    Callback callback;
    std::atomic<bool> enabled{false};
    std::atomic<bool> alive{true};
    std::atomic<std::size_t> lateAnswers{0};
    std::unique_ptr<X11KeyCapture> capture;
};

class X11KeyCaptureFactory::Tap final : public KeyCapture {
  public:
    explicit Tap(std::shared_ptr<TapState> state) : state_(std::move(state)) {}
    ~Tap() override {
        state_->enabled = false;
        state_->capture.reset();
        state_->alive = false;
    }
    void setEnabled(bool enabled) override { state_->enabled = enabled; }
    bool isEnabled() const override { return state_->enabled; }

  private:
    std::shared_ptr<TapState> state_;
};

X11KeyCaptureFactory::X11KeyCaptureFactory(MainQueue& mainQueue, X11ExpectedKeys& expectedKeys,
                                           std::string displayName,
                                           std::chrono::milliseconds answerBudget)
    : mainQueue_(mainQueue),
      expectedKeys_(expectedKeys),
      displayName_(std::move(displayName)),
      answerBudget_(answerBudget) {}

X11KeyCaptureFactory::~X11KeyCaptureFactory() = default;

std::vector<X11KeyCapture::GrabbedKey> X11KeyCaptureFactory::grabbedKeys() const {
    std::vector<X11KeyCapture::GrabbedKey> keys{{kReturnKeycode, 0}, {kKeypadEnterKeycode, 0}};
    // Shift+Return is deferred too.
    keys.push_back({kReturnKeycode, X11KeyboardState::kShiftMask});
    keys.push_back({kKeypadEnterKeycode, X11KeyboardState::kShiftMask});
    for (const auto& shortcut : shortcuts_) {
        const auto key = shortcut.key();
        const auto modifiers = shortcut.modifiers();
        if (key && modifiers) {
            keys.push_back({xKeycode(*key), X11ModifierFlags::realModifiers(*modifiers)});
        }
    }
    return keys;
}

void X11KeyCaptureFactory::setShortcuts(const std::vector<ShortcutDefinition>& shortcuts) {
    shortcuts_ = shortcuts;
    for (const auto& weak : taps_) {
        if (const auto state = weak.lock(); state && state->capture) {
            state->capture->setGrabs(grabbedKeys());
        }
    }
}

bool X11KeyCaptureFactory::holds(std::uint32_t keycode, std::uint32_t modifiers) const {
    const bool installed = std::any_of(taps_.begin(), taps_.end(), [](const auto& weak) {
        const auto state = weak.lock();
        return state && state->alive;
    });
    const auto keys = grabbedKeys();
    return installed && std::find(keys.begin(), keys.end(),
                                  X11KeyCapture::GrabbedKey{keycode, modifiers}) != keys.end();
}

X11KeyCapture* X11KeyCaptureFactory::activeCapture() const {
    for (const auto& weak : taps_) {
        if (const auto state = weak.lock(); state && state->alive && state->capture) {
            return state->capture.get();
        }
    }
    return nullptr;
}

std::size_t X11KeyCaptureFactory::lateAnswerCount() const {
    std::size_t count = 0;
    for (const auto& weak : taps_) {
        if (const auto state = weak.lock()) {
            count += state->lateAnswers;
        }
    }
    return count;
}

std::unique_ptr<KeyCapture> X11KeyCaptureFactory::createTap(Callback callback) {
    if (!callback) {
        return nullptr;
    }
    auto state = std::make_shared<TapState>();
    state->callback = std::move(callback);
    MainQueue& mainQueue = mainQueue_;
    X11KeyCapture::Handlers handlers;
    handlers.press = [&mainQueue,
                      weak = std::weak_ptr<TapState>(state)](const X11KeyCapture::Press& press) {
        KeyEvent event = keyEvent(press);
        // Only grabbed presses can be held back.
        event.isSwallowable = false;
        mainQueue.post([weak, event] {
            if (const auto state = weak.lock(); state && state->alive && state->enabled) {
                state->callback(event);
            }
        });
    };
    handlers.held = [&mainQueue, weak = std::weak_ptr<TapState>(state)](std::uint32_t keycode) {
        KeyEvent event;
        event.kind = KeyEventKind::keyHeld;
        event.key = static_cast<Key>(keycode - kXKeycodeOffset);
        event.isSwallowable = false;
        mainQueue.post([weak, event] {
            if (const auto state = weak.lock(); state && state->alive && state->enabled) {
                state->callback(event);
            }
        });
    };
    handlers.lost = [&mainQueue, weak = std::weak_ptr<std::function<void()>>(lossHandler_)] {
        mainQueue.post([weak] {
            if (const auto handler = weak.lock(); handler && *handler) {
                (*handler)();
            }
        });
    };
    handlers.freezeEnded = [freezes = freezes_](std::chrono::steady_clock::duration freeze) {
        freezes->add(freeze);
    };
    handlers.grab = [&mainQueue, budget = answerBudget_, presses = presses_,
                     weak = std::weak_ptr<TapState>(state)](const X11KeyCapture::Press& press) {
        const auto state = weak.lock();
        if (!state || !state->enabled) {
            return X11KeyCapture::Answer::pass;
        }
        const auto deadline = std::chrono::steady_clock::now() + budget;
        auto answer = std::make_shared<Answer>();
        KeyEvent event = keyEvent(press);
        event.claim = std::make_shared<GrabbedPressClaim>(answer);
        mainQueue.post([weak, answer, event, presses]() mutable {
            {
                std::lock_guard lock(answer->mutex);
                // Already gone on: spare the callback its slow checks.
                event.isSwallowable = answer->stage == Answer::Stage::waiting;
            }
            const auto state = weak.lock();
            const bool asks = state && state->alive && state->enabled;
            const KeyDisposition disposition = asks ? state->callback(event) : KeyDisposition::pass;
            std::lock_guard lock(answer->mutex);
            if (answer->stage == Answer::Stage::abandoned) {
                return;
            }
            // Noted on the main thread before anything else runs there, so that no
            // correction takes the swallowed press for one on its way to the application.
            if (disposition != KeyDisposition::pass) {
                presses->noteSwallowed(event.pressNumber);
            }
            answer->disposition = disposition;
            answer->stage = Answer::Stage::decided;
            answer->ready.notify_all();
        });
        std::unique_lock lock(answer->mutex);
        answer->ready.wait_until(lock, deadline,
                                 [&] { return answer->stage != Answer::Stage::waiting; });
        if (answer->stage == Answer::Stage::waiting) {
            answer->stage = Answer::Stage::abandoned;
            ++state->lateAnswers;
            return X11KeyCapture::Answer::pass;
        }
        // Taken: the callback acts on it as swallowed, and only scheduling work remains between
        // the claim and its answer. The limit is for a callback that never returns.
        if (!answer->ready.wait_for(lock, kDecisionLimit,
                                    [&] { return answer->stage == Answer::Stage::decided; })) {
            answer->stage = Answer::Stage::abandoned;
            ++state->lateAnswers;
            return X11KeyCapture::Answer::pass;
        }
        switch (answer->disposition) {
            case KeyDisposition::swallow:
                return X11KeyCapture::Answer::swallow;
            case KeyDisposition::swallowAndHold:
                return X11KeyCapture::Answer::swallowAndHold;
            case KeyDisposition::pass:
                break;
        }
        return X11KeyCapture::Answer::pass;
    };
    auto started =
        X11KeyCapture::start(displayName_.empty() ? nullptr : displayName_.c_str(), expectedKeys_,
                             presses_, std::move(handlers), grabbedKeys());
    if (auto* error = std::get_if<std::string>(&started)) {
        lastError_ = *error;
        return nullptr;
    }
    lastError_.reset();
    state->capture = std::move(std::get<0>(started));
    taps_.push_back(state);
    return std::make_unique<Tap>(std::move(state));
}

}  // namespace plovik
