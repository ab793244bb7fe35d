#include "core/capture/KeyboardEventMonitor.h"

#include <stdexcept>
#include <utility>

#include "core/capture/TypingBlock.h"

namespace plovik {

namespace {

// The typing block (letters, digits, punctuation, Space and the ISO key): keys that may
// start a composition and type nothing yet.
bool isTypingBlockKey(Key key) {
    switch (key) {
        case Key::enter:
        case Key::tab:
        case Key::backspace:
            return false;
        default:
            return TypingBlock::contains(key);
    }
}

bool asks(const std::function<bool()>& predicate) {
    return predicate && predicate();
}

}  // namespace

template <typename Callback, typename... Args>
void KeyboardEventMonitor::schedule(Callback KeyboardEventMonitor::*callback, Args... args) {
    mainQueue_.post([weak = weak_from_this(), callback, args...] {
        const auto self = weak.lock();
        if (!self) {
            return;
        }
        // A copy, so that the callback may replace itself while it runs.
        if (auto current = (*self).*callback) {
            current(args...);
        }
    });
}

const char* KeyboardEventMonitor::StartError::what() const noexcept {
    // The one case there is; the owner shows this text to the user.
    return "Input Monitoring is not granted, so the keyboard event monitor could not start.";
}

std::shared_ptr<KeyboardEventMonitor> KeyboardEventMonitor::create(
    KeyCaptureFactory& tapFactory, MainQueue& mainQueue, ShortcutProvider shortcutProvider) {
    if (!shortcutProvider) {
        throw std::invalid_argument("the keyboard event monitor needs a shortcut provider");
    }
    return std::shared_ptr<KeyboardEventMonitor>(
        new KeyboardEventMonitor(tapFactory, mainQueue, std::move(shortcutProvider)));
}

KeyboardEventMonitor::KeyboardEventMonitor(KeyCaptureFactory& tapFactory, MainQueue& mainQueue,
                                           ShortcutProvider shortcutProvider)
    : tapFactory_(tapFactory),
      mainQueue_(mainQueue),
      shortcutProvider_(std::move(shortcutProvider)) {}

KeyboardEventMonitor::~KeyboardEventMonitor() {
    stop();
}

void KeyboardEventMonitor::start() {
    if (tap_) {
        return;
    }
    // The tap lives no longer than the monitor, so it may hold the monitor unretained.
    auto tap = tapFactory_.createTap([this](const KeyEvent& event) { return handle(event); });
    if (!tap) {
        throw StartError(StartError::Case::permissionMissingOrTapCreationFailed);
    }
    tap_ = std::move(tap);
    tap_->setEnabled(true);
}

void KeyboardEventMonitor::stop() {
    if (!tap_) {
        return;
    }
    tap_->setEnabled(false);
    tap_.reset();
}

KeyDisposition KeyboardEventMonitor::handle(const KeyEvent& event) {
    if (event.kind == KeyEventKind::keyHeld) {
        if (!event.isOwnEvent) {
            schedule(&KeyboardEventMonitor::onHeldKey);
        }
        return KeyDisposition::pass;
    }
    if (event.isOwnEvent) {
        return KeyDisposition::pass;
    }
    // A press the application already has is plain typing: acting on it as a shortcut, or
    // withholding a Return to post it later, would do it a second time.
    if (event.isSwallowable) {
        // A shortcut the system let go while it was checked is only typing, as above.
        if (const auto action = shortcutAction(event.key, event.modifiers);
            action && event.takeForSwallowing()) {
            schedule(*action, event.pressNumber);
            return KeyDisposition::swallow;
        }
    }
    if (event.modifiers.hasAny(kCommandModifiers)) {
        return KeyDisposition::pass;
    }
    if (event.isSwallowable && (event.key == Key::enter || event.key == Key::keypadEnter) &&
        asks(shouldDeferReturn) && event.takeForSwallowing()) {
        schedule(&KeyboardEventMonitor::onDeferredReturn, event.key,
                 event.modifiers & kDeferredReturnModifiers, event.pressNumber);
        // The next line's first keys must not reach the field before this Return.
        return KeyDisposition::swallowAndHold;
    }
    if (event.key == Key::backspace) {
        schedule(&KeyboardEventMonitor::onDeleteBackward);
        return KeyDisposition::pass;
    }
    return handleOrdinaryKey(event);
}

std::optional<KeyboardEventMonitor::Action> KeyboardEventMonitor::shortcutAction(
    Key key, Modifiers pressed) const {
    const Shortcuts shortcuts = shortcutProvider_();
    const Modifiers modifiers = pressed & ShortcutDefinition::kComparedModifiers;
    if (shortcuts.manual.matches(key, modifiers) && asks(shouldHandleManualCorrection)) {
        return &KeyboardEventMonitor::onManualCorrection;
    }
    if (shortcuts.undo.matches(key, modifiers) && asks(shouldHandleUndo)) {
        return &KeyboardEventMonitor::onUndo;
    }
    if (shortcuts.pause.matches(key, modifiers)) {
        return &KeyboardEventMonitor::onPauseToggle;
    }
    if (shortcuts.convert.matches(key, modifiers) && asks(shouldHandleConversion)) {
        return &KeyboardEventMonitor::onConvertSelection;
    }
    return std::nullopt;
}

KeyDisposition KeyboardEventMonitor::handleOrdinaryKey(const KeyEvent& event) {
    std::string characters = event.text.value_or(std::string());
    // Keys of the typing block may start a composition and type nothing yet; other
    // silent keys (navigation, function keys, Tab, Return) are not text at all.
    if (characters.empty() && !isTypingBlockKey(event.key)) {
        return KeyDisposition::pass;
    }
    const PhysicalKeyStroke stroke(event.key, event.modifiers & PhysicalKeyStroke::kModifierMask);
    mainQueue_.post([weak = weak_from_this(), characters = std::move(characters), stroke,
                     press = event.pressNumber] {
        const auto self = weak.lock();
        if (!self) {
            return;
        }
        if (auto callback = self->onStroke) {
            callback(characters, stroke, press);
        }
    });
    return KeyDisposition::pass;
}

}  // namespace plovik
