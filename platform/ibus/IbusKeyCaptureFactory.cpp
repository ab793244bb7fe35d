#include "platform/ibus/IbusKeyCaptureFactory.h"

#include <algorithm>
#include <utility>

#include "core/capture/KeyPressText.h"
#include "framework/ibus/logic/GrabList.h"

namespace plovik {

using ibus::EngineMessage;

namespace {

// Presses the engine answered "late" for are forgotten past this many.
constexpr std::size_t kRememberedLatePresses = 64;
// What presses typed is forgotten past this many; an older one types "unknown".
constexpr std::size_t kRememberedTyping = 256;

}  // namespace

struct IbusKeyCaptureFactory::TapState {
    Callback callback;
    bool enabled = false;
};

class IbusKeyCaptureFactory::Tap final : public KeyCapture {
  public:
    explicit Tap(std::shared_ptr<TapState> state) : state_(std::move(state)) {}
    void setEnabled(bool enabled) override { state_->enabled = enabled; }
    bool isEnabled() const override { return state_->enabled; }

  private:
    std::shared_ptr<TapState> state_;
};

// An asked press is Plovik's only while the engine still holds it: taking it asks.
class IbusKeyCaptureFactory::Claim final : public PressClaim {
  public:
    Claim(IbusEngineLink& link, KeyPressNumber press) : link_(link), press_(press) {}
    bool take() override {
        const std::string number = std::to_string(press_);
        const auto answer = link_.request(
            {EngineMessage::Kind::take, {number}},
            [&](const EngineMessage& message) {
                return message.kind == EngineMessage::Kind::taken && message.text(0) == number;
            },
            kTakeTimeout);
        return answer && answer->text(1) == "yes";
    }

  private:
    IbusEngineLink& link_;
    KeyPressNumber press_;
};

IbusKeyCaptureFactory::IbusKeyCaptureFactory(IbusEngineLink& link) : link_(link) {
    messages_ = link_.listen([this](const EngineMessage& message) { handle(message); });
    connection_ = link_.connected().subscribe([this](bool connected) {
        if (connected) {
            sendGrabs();
        }
    });
}

IbusKeyCaptureFactory::~IbusKeyCaptureFactory() = default;

std::unique_ptr<KeyCapture> IbusKeyCaptureFactory::createTap(Callback callback) {
    if (!callback) {
        return nullptr;
    }
    auto state = std::make_shared<TapState>();
    state->callback = std::move(callback);
    taps_.push_back(state);
    return std::make_unique<Tap>(std::move(state));
}

void IbusKeyCaptureFactory::setShortcuts(const std::vector<ShortcutDefinition>& shortcuts) {
    shortcuts_ = shortcuts;
    sendGrabs();
}

void IbusKeyCaptureFactory::sendGrabs() {
    std::vector<ibus::GrabList::Combination> combinations{{Key::enter, {}},
                                                          {Key::keypadEnter, {}},
                                                          {Key::enter, Modifier::shift},
                                                          {Key::keypadEnter, Modifier::shift}};
    for (const auto& shortcut : shortcuts_) {
        const auto key = shortcut.key();
        const auto modifiers = shortcut.modifiers();
        if (key && modifiers) {
            combinations.push_back({*key, *modifiers});
        }
    }
    link_.send(ibus::GrabList(std::move(combinations)).toMessage());
}

bool IbusKeyCaptureFactory::hasPressGoneOnSince(KeyPressNumber press) const {
    return lastGoneOn_ > press;
}

std::optional<std::string> IbusKeyCaptureFactory::textTypedBetween(KeyPressNumber after,
                                                                   KeyPressNumber upTo) const {
    std::string text;
    KeyPressNumber expected = after + 1;
    for (const auto& entry : typed_) {
        if (entry.press <= after || entry.press > upTo) {
            continue;
        }
        // A press the engines numbered but Plovik never heard of may have done anything.
        if (entry.press != expected || (!entry.swallowed && !entry.text)) {
            return std::nullopt;
        }
        if (!entry.swallowed) {
            text += *entry.text;
        }
        ++expected;
    }
    if (expected <= upTo) {
        return std::nullopt;
    }
    return text;
}

void IbusKeyCaptureFactory::remember(KeyPressNumber press, std::optional<std::string> typed) {
    typed_.push_back({press, std::move(typed), false});
    while (typed_.size() > kRememberedTyping) {
        typed_.pop_front();
    }
}

void IbusKeyCaptureFactory::noteSwallowed(KeyPressNumber press, bool swallowed) {
    for (auto& entry : typed_) {
        if (entry.press == press) {
            entry.swallowed = swallowed;
        }
    }
}

bool IbusKeyCaptureFactory::isLate(KeyPressNumber press) const {
    return late_.contains(press);
}

void IbusKeyCaptureFactory::handle(const EngineMessage& message) {
    if (message.kind == EngineMessage::Kind::press) {
        handlePress(message);
    } else if (message.kind == EngineMessage::Kind::late) {
        if (const auto press = message.number(0)) {
            late_.insert(*press);
            noteSwallowed(*press, false);
            lastGoneOn_ = std::max(lastGoneOn_, *press);
            while (late_.size() > kRememberedLatePresses) {
                late_.erase(late_.begin());
            }
        }
    }
}

void IbusKeyCaptureFactory::handlePress(const EngineMessage& message) {
    const auto number = message.number(0);
    const auto key = message.number(1);
    const auto modifiers = message.number(2);
    if (!number || !key || !modifiers || *key > 0xffff || *modifiers > 0xff) {
        return;
    }
    const std::string_view disposition = message.text(4);
    latest_ = std::max(latest_, *number);
    if (disposition == "passed") {
        lastGoneOn_ = std::max(lastGoneOn_, *number);
    }
    KeyEvent event;
    event.key = static_cast<Key>(*key);
    event.modifiers = Modifiers::fromBits(static_cast<std::uint8_t>(*modifiers));
    if (!message.text(3).empty()) {
        event.text = std::string(message.text(3));
    }
    event.pressNumber = *number;
    remember(*number, KeyPressText::typedBy(event.key, event.modifiers, event.text));
    const bool asked = disposition == "asked";
    // A press that is not waiting for the answer cannot be swallowed any more.
    event.isSwallowable = asked && !isLate(*number);
    if (event.isSwallowable) {
        event.claim = std::make_shared<Claim>(link_, *number);
    }
    KeyDisposition answer = KeyDisposition::pass;
    for (const auto& weak : taps_) {
        if (const auto state = weak.lock(); state && state->enabled) {
            // The engine withholds a swallowed Return until Plovik hands it back (or
            // waits too long), and every key after it with it.
            if (state->callback(event) != KeyDisposition::pass) {
                answer = KeyDisposition::swallow;
            }
        }
    }
    if (asked) {
        link_.send(
            {EngineMessage::Kind::answer,
             {std::to_string(*number), answer == KeyDisposition::swallow ? "swallow" : "pass"}});
        if (answer == KeyDisposition::pass) {
            lastGoneOn_ = std::max(lastGoneOn_, *number);
        } else if (!isLate(*number)) {
            noteSwallowed(*number, true);
        }
    }
}

}  // namespace plovik
