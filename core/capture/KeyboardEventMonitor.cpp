#include "core/capture/KeyboardEventMonitor.h"

#include <stdexcept>
#include <utility>

#include "core/capture/SyntheticEventMarker.h"

namespace plovik {

namespace {

bool matches(const ShortcutDefinition& shortcut, std::uint16_t keyCode, std::uint64_t modifiers) {
    return keyCode == shortcut.keyCode && modifiers == shortcut.modifiers;
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
    KeyEventTapFactory& tapFactory, MainQueue& mainQueue, ShortcutProvider shortcutProvider) {
    if (!shortcutProvider) {
        throw std::invalid_argument("the keyboard event monitor needs a shortcut provider");
    }
    return std::shared_ptr<KeyboardEventMonitor>(
        new KeyboardEventMonitor(tapFactory, mainQueue, std::move(shortcutProvider)));
}

KeyboardEventMonitor::KeyboardEventMonitor(KeyEventTapFactory& tapFactory, MainQueue& mainQueue,
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

TapDisposition KeyboardEventMonitor::handle(const KeyEvent& event) {
    if (event.type >= KeyEvent::kTapDisabledByTimeout) {
        // The system turns a slow or interrupted tap off; turning it back on is all we need.
        if (tap_) {
            tap_->setEnabled(true);
        }
        return TapDisposition::pass;
    }
    if (event.userData == kSyntheticEventMarker) {
        return TapDisposition::pass;
    }
    if (handleShortcut(event.keyCode, event.flags)) {
        return TapDisposition::swallow;
    }
    if ((event.flags & kCommandModifierMask) != 0) {
        return TapDisposition::pass;
    }
    if ((event.keyCode == kReturnKeyCode || event.keyCode == kKeypadEnterKeyCode) &&
        asks(shouldDeferReturn)) {
        schedule(&KeyboardEventMonitor::onDeferredReturn, event.keyCode,
                 event.flags & kDeferredReturnFlagMask);
        return TapDisposition::swallow;
    }
    if (event.keyCode == kDeleteKeyCode) {
        schedule(&KeyboardEventMonitor::onDeleteBackward);
        return TapDisposition::pass;
    }
    return handleOrdinaryKey(event);
}

bool KeyboardEventMonitor::handleShortcut(std::uint16_t keyCode, std::uint64_t flags) {
    const Shortcuts shortcuts = shortcutProvider_();
    const std::uint64_t modifiers = flags & kShortcutModifierMask;
    if (matches(shortcuts.manual, keyCode, modifiers) && asks(shouldHandleManualCorrection)) {
        schedule(&KeyboardEventMonitor::onManualCorrection);
        return true;
    }
    if (matches(shortcuts.undo, keyCode, modifiers) && asks(shouldHandleUndo)) {
        schedule(&KeyboardEventMonitor::onUndo);
        return true;
    }
    if (matches(shortcuts.pause, keyCode, modifiers)) {
        schedule(&KeyboardEventMonitor::onPauseToggle);
        return true;
    }
    return false;
}

TapDisposition KeyboardEventMonitor::handleOrdinaryKey(const KeyEvent& event) {
    std::string characters = event.characters.value_or(std::string());
    // Keys of the typing block may start a composition and type nothing yet; other
    // silent keys (navigation, function keys, Tab, Return) are not text at all.
    if (characters.empty() && (event.keyCode > kGraveKeyCode || event.keyCode == kReturnKeyCode ||
                               event.keyCode == kTabKeyCode)) {
        return TapDisposition::pass;
    }
    const PhysicalKeyStroke stroke(event.keyCode, event.flags & PhysicalKeyStroke::kModifierMask);
    mainQueue_.post([weak = weak_from_this(), characters = std::move(characters), stroke] {
        const auto self = weak.lock();
        if (!self) {
            return;
        }
        if (auto callback = self->onStroke) {
            callback(characters, stroke);
        }
        if (!characters.empty()) {
            if (auto callback = self->onText) {
                callback(characters);
            }
        }
    });
    return TapDisposition::pass;
}

}  // namespace plovik
