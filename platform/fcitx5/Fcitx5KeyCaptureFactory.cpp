#include "platform/fcitx5/Fcitx5KeyCaptureFactory.h"

#include <algorithm>
#include <atomic>

#include "core/capture/KeyPressText.h"

namespace plovik {

namespace {

// Fcitx5's capability bits of a field whose text is secret (Password, Sensitive).
constexpr std::uint64_t kSecretCapabilities = (1ull << 3) | (1ull << 36);
// How many held presses are followed for a verdict the module gives late.
constexpr std::size_t kFollowedHeldPresses = 64;

bool isReturn(Key key) {
    return key == Key::enter || key == Key::keypadEnter;
}

}  // namespace

// A press the module holds for the answer, shared by the claim and the main thread.
struct Fcitx5KeyCaptureFactory::HeldPress {
    enum class Stage { waiting, taken, wentOn };

    std::uint64_t sequence = 0;
    std::mutex mutex;
    Stage stage = Stage::waiting;
};

struct Fcitx5KeyCaptureFactory::TapState {
    Callback callback;
    std::atomic<bool> enabled{false};
    std::atomic<bool> alive{true};
};

class Fcitx5KeyCaptureFactory::Tap final : public KeyCapture {
  public:
    Tap(Fcitx5KeyCaptureFactory& factory, std::shared_ptr<TapState> state)
        : factory_(factory), state_(std::move(state)) {}
    ~Tap() override {
        state_->enabled = false;
        state_->alive = false;
        factory_.sendHeldKeys();
    }
    void setEnabled(bool enabled) override { state_->enabled = enabled; }
    bool isEnabled() const override { return state_->enabled; }

  private:
    Fcitx5KeyCaptureFactory& factory_;
    std::shared_ptr<TapState> state_;
};

// Taking a held press asks the module, which alone knows whether it still holds it.
class Fcitx5KeyCaptureFactory::Claim final : public PressClaim {
  public:
    Claim(Fcitx5ModuleClient& module, std::shared_ptr<HeldPress> held)
        : module_(module), held_(std::move(held)) {}
    bool take() override {
        {
            std::lock_guard lock(held_->mutex);
            if (held_->stage != HeldPress::Stage::waiting) {
                return false;
            }
        }
        const bool taken = module_.claim(held_->sequence);
        std::lock_guard lock(held_->mutex);
        if (taken) {
            held_->stage = HeldPress::Stage::taken;
        }
        return taken;
    }

  private:
    Fcitx5ModuleClient& module_;
    std::shared_ptr<HeldPress> held_;
};

Fcitx5KeyCaptureFactory::Fcitx5KeyCaptureFactory(MainQueue& mainQueue, Fcitx5ModuleClient& module)
    : mainQueue_(mainQueue), module_(module) {}

Fcitx5KeyCaptureFactory::~Fcitx5KeyCaptureFactory() = default;

std::unique_ptr<KeyCapture> Fcitx5KeyCaptureFactory::createTap(Callback callback) {
    if (!callback) {
        return nullptr;
    }
    if (auto problem = module_.connect()) {
        lastError_ = std::move(problem);
        return nullptr;
    }
    lastError_.reset();
    auto state = std::make_shared<TapState>();
    state->callback = std::move(callback);
    {
        std::lock_guard lock(mutex_);
        std::erase_if(taps_, [](const auto& weak) { return weak.expired(); });
        taps_.push_back(state);
    }
    sendHeldKeys();
    return std::make_unique<Tap>(*this, std::move(state));
}

void Fcitx5KeyCaptureFactory::setShortcuts(const std::vector<ShortcutDefinition>& shortcuts) {
    shortcuts_ = shortcuts;
    sendHeldKeys();
}

bool Fcitx5KeyCaptureFactory::anyTapAlive() const {
    std::lock_guard lock(mutex_);
    return std::any_of(taps_.begin(), taps_.end(), [](const auto& weak) {
        const auto state = weak.lock();
        return state && state->alive;
    });
}

// Without a tap nothing is worth holding a key for. Told from the reading thread too: the
// list is made and sent under one lock, so that the last one sent is the latest.
void Fcitx5KeyCaptureFactory::sendHeldKeys() {
    std::lock_guard sending(heldKeysSending_);
    module::HeldKeys held;
    if (anyTapAlive()) {
        for (const Key key : {Key::enter, Key::keypadEnter}) {
            held.keys.push_back({evdevCode(key), 0});
            // Shift+Return is held back too.
            held.keys.push_back({evdevCode(key), Modifiers(Modifier::shift).bits()});
        }
        for (const auto& shortcut : shortcuts_) {
            const auto key = shortcut.key();
            const auto modifiers = shortcut.modifiers();
            if (key && modifiers) {
                held.keys.push_back({evdevCode(*key), modifiers->bits()});
            }
        }
    }
    module_.send(held);
}

std::optional<Fcitx5KeyCaptureFactory::WithheldReturn>
Fcitx5KeyCaptureFactory::takeWithheldReturn() {
    std::lock_guard lock(mutex_);
    if (withheld_.empty()) {
        return std::nullopt;
    }
    const WithheldReturn press = withheld_.front();
    withheld_.pop_front();
    return press;
}

KeyEvent Fcitx5KeyCaptureFactory::eventOf(const module::Press& press, KeyPressNumber number) const {
    KeyEvent event;
    event.key = static_cast<Key>(press.key);
    event.modifiers = Modifiers::fromBits(press.modifiers);
    event.text = press.text;
    event.pressNumber = number;
    event.isSwallowable = press.held;
    return event;
}

Fcitx5KeyCaptureFactory::PressMark Fcitx5KeyCaptureFactory::latestMark() const {
    std::lock_guard lock(mutex_);
    return latest_;
}

void Fcitx5KeyCaptureFactory::pressed(const module::Press& press) {
    KeyPressNumber number = 0;
    {
        std::lock_guard lock(mutex_);
        number = presses_->record(KeyPressText::typedBy(
            static_cast<Key>(press.key), Modifiers::fromBits(press.modifiers), press.text));
        latest_ = PressMark{number, press.sequence};
    }
    KeyEvent event = eventOf(press, number);
    std::shared_ptr<HeldPress> held;
    if (press.held) {
        held = std::make_shared<HeldPress>();
        held->sequence = press.sequence;
        event.claim = std::make_shared<Claim>(module_, held);
        std::lock_guard lock(mutex_);
        heldPresses_.push_back(held);
        if (heldPresses_.size() > kFollowedHeldPresses) {
            heldPresses_.pop_front();
        }
    }
    std::vector<std::shared_ptr<TapState>> taps;
    {
        std::lock_guard lock(mutex_);
        for (const auto& weak : taps_) {
            if (auto state = weak.lock()) {
                taps.push_back(std::move(state));
            }
        }
    }
    if (taps.empty() && held) {
        module_.send(module::Answer{press.sequence, false});
    }
    for (const auto& tap : taps) {
        deliver(tap, event, held);
    }
}

void Fcitx5KeyCaptureFactory::deliver(const std::shared_ptr<TapState>& tap, KeyEvent event,
                                      const std::shared_ptr<HeldPress>& held) {
    mainQueue_.post([this, weak = std::weak_ptr<TapState>(tap), event, held]() mutable {
        const auto state = weak.lock();
        const bool asks = state && state->alive && state->enabled;
        if (held) {
            std::lock_guard lock(held->mutex);
            // Already gone on: spare the callback its slow checks.
            event.isSwallowable = held->stage == HeldPress::Stage::waiting;
        }
        if (asks) {
            state->callback(event);
        }
        if (held) {
            settle(event, *held);
        }
    });
}

// A held press the callback took stays swallowed; one it did not take goes on at once.
void Fcitx5KeyCaptureFactory::settle(const KeyEvent& event, HeldPress& held) {
    HeldPress::Stage stage;
    {
        std::lock_guard lock(held.mutex);
        stage = held.stage;
    }
    if (stage == HeldPress::Stage::waiting) {
        module_.send(module::Answer{held.sequence, false});
        return;
    }
    if (stage != HeldPress::Stage::taken) {
        return;
    }
    // Noted before anything else runs on the main thread, so that no correction takes
    // the swallowed press for one on its way to the application.
    presses_->noteSwallowed(event.pressNumber);
    if (isReturn(event.key)) {
        std::lock_guard lock(mutex_);
        withheld_.push_back({held.sequence, false});
    }
}

void Fcitx5KeyCaptureFactory::wentOn(std::uint64_t sequence) {
    std::lock_guard lock(mutex_);
    for (auto& press : withheld_) {
        if (press.sequence == sequence) {
            press.wentOn = true;
        }
    }
    for (const auto& held : heldPresses_) {
        std::lock_guard heldLock(held->mutex);
        if (held->sequence == sequence && held->stage == HeldPress::Stage::waiting) {
            held->stage = HeldPress::Stage::wentOn;
        }
    }
}

// Typing into a secret field is not seen: the word before it is no longer known.
void Fcitx5KeyCaptureFactory::fieldChanged() {
    const auto field = module_.focusedField();
    const bool secret =
        field && field->focus.focused && (field->focus.capabilities & kSecretCapabilities) != 0;
    {
        std::lock_guard lock(mutex_);
        if (secret == wasSecret_) {
            return;
        }
        wasSecret_ = secret;
    }
    if (!secret) {
        return;
    }
    KeyEvent notice;
    notice.kind = KeyEventKind::keyHeld;
    notice.isSwallowable = false;
    std::lock_guard lock(mutex_);
    for (const auto& weak : taps_) {
        if (auto state = weak.lock()) {
            deliver(state, notice, nullptr);
        }
    }
}

void Fcitx5KeyCaptureFactory::connectionChanged(bool connected) {
    if (connected) {
        sendHeldKeys();
        return;
    }
    // The module let every withheld Return go when the connection ended.
    std::lock_guard lock(mutex_);
    for (auto& press : withheld_) {
        press.wentOn = true;
    }
    // And the presses it held went on; a new module numbers its presses from one again.
    for (const auto& held : heldPresses_) {
        std::lock_guard heldLock(held->mutex);
        if (held->stage == HeldPress::Stage::waiting) {
            held->stage = HeldPress::Stage::wentOn;
        }
    }
    heldPresses_.clear();
}

}  // namespace plovik
