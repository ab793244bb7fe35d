#include "platform/simulated/SimulatedDesktop.h"

namespace plovik {

SimulatedDesktop::SimulatedDesktop() : SimulatedDesktop(nullptr) {}

SimulatedDesktop::SimulatedDesktop(std::shared_ptr<XkbKeymapLibrary> keymaps)
    : environment_(std::make_shared<SimulatedAccessibilityEnvironment>()),
      permissions_(environment_),
      workspace_(environment_),
      accessibility_(environment_, workspace_, permissions_),
      keyboardHolder_([this] { return tapFactory_.latestPress(); },
                      [this](const SyntheticKeyEvent& event) { eventPoster_.post(event); },
                      [this](const KeyEvent& event) { deliver(event); },
                      [this](const KeyEvent& event) {
                          tapFactory_.notePassedOn(event.pressNumber);
                          deliverToApplication(event);
                      },
                      [this] { catchUp(); }),
      keymaps_(std::move(keymaps)) {
    eventPoster_.setSink([this](const SyntheticKeyEvent& event) { deliverPosted(event); });
    eventPoster_.setDeliveryWait([this] { catchUp(); });
    permissions_.setInputMonitoringListener(
        [this](bool granted) { tapFactory_.setInputMonitoringGranted(granted); });
}

std::shared_ptr<SimulatedApplication> SimulatedDesktop::launch(
    std::optional<std::string> bundleIdentifier, std::optional<std::string> name,
    std::int32_t processIdentifier) {
    auto application =
        workspace_.launch({processIdentifier, std::move(bundleIdentifier), std::move(name)});
    application->addWindow();
    return application;
}

SimulatedElementRef SimulatedDesktop::addFocusedTextField(SimulatedApplication& application,
                                                          const std::string& text,
                                                          AccessibilityRole role) {
    auto windows = application.applicationElement()->childElements();
    const auto window = windows.empty() ? application.addWindow() : windows.front();
    auto field = application.addTextField(window, text, role);
    application.focus(field);
    return field;
}

SimulatedElementRef SimulatedDesktop::focusedElement() const {
    const auto application = workspace_.frontmost();
    return application ? application->focusedElement() : nullptr;
}

std::optional<std::string> SimulatedDesktop::controlCharacters(Key key) {
    switch (key) {
        case Key::backspace:
            return "\x7f";
        case Key::enter:
            return "\r";
        case Key::keypadEnter:
            return "\x03";
        case Key::tab:
            return "\t";
        case Key::space:
            return " ";
        case Key::escape:
            return "\x1b";
        default:
            return std::nullopt;
    }
}

KeyDisposition SimulatedDesktop::pressKey(const KeyEvent& event) {
    return deliver(event);
}

SimulatedLayoutSource& SimulatedDesktop::inputSources() {
    if (!inputSources_) {
        if (!keymaps_) {
            keymaps_ = std::make_shared<XkbKeymapLibrary>();
        }
        inputSources_ = std::make_unique<SimulatedLayoutSource>(*keymaps_);
    }
    return *inputSources_;
}

std::optional<InputSource> SimulatedDesktop::currentSource() {
    const auto id = inputSources().currentSourceId();
    auto source = id ? inputSources().installedSource(*id) : std::nullopt;
    if (!source || !source->id || !source->keyLayoutData) {
        return std::nullopt;
    }
    return source;
}

const TypingSimulator& SimulatedDesktop::typingSimulator(const InputSource& source) {
    auto found = typingSimulators_.find(*source.id);
    if (found == typingSimulators_.end()) {
        found = typingSimulators_
                    .emplace(*source.id, std::make_unique<TypingSimulator>(*source.keyLayoutData))
                    .first;
    }
    return *found->second;
}

bool SimulatedDesktop::typeText(std::string_view text) {
    const auto source = currentSource();
    const auto strokes = source ? typingSimulator(*source).strokes(text) : std::nullopt;
    if (!strokes) {
        return false;
    }
    for (const auto& stroke : *strokes) {
        pressStroke(stroke);
    }
    return true;
}

std::optional<std::string> SimulatedDesktop::translate(const InputSource& source, Key key,
                                                       Modifiers modifiers, ComposeState& compose) {
    return source.keyLayoutData->translate(key, modifiers, compose);
}

std::optional<std::string> SimulatedDesktop::postedCharacters(const SyntheticKeyEvent& event) {
    if (event.text) {
        return event.text;
    }
    if (auto characters = controlCharacters(event.key)) {
        return characters;
    }
    // Other keys type what they type under the selected layout, if one was set up.
    const auto source = inputSources_ ? currentSource() : std::nullopt;
    ComposeState noSequence;
    return source ? translate(*source, event.key, event.modifiers, noSequence) : std::nullopt;
}

KeyDisposition SimulatedDesktop::pressStroke(const PhysicalKeyStroke& stroke) {
    KeyEvent event;
    event.key = stroke.key;
    event.modifiers = stroke.modifiers;
    if (const auto source = currentSource()) {
        if (composeSource_ != source->id) {
            compose_ = {};
            composeSource_ = source->id;
        }
        event.text = translate(*source, stroke.key, stroke.modifiers, compose_);
    }
    return deliver(event);
}

KeyDisposition SimulatedDesktop::holdStroke(const PhysicalKeyStroke& stroke, int repeats) {
    const KeyDisposition disposition = pressStroke(stroke);
    if (disposition == KeyDisposition::pass && !received_.empty()) {
        const KeyEvent repeated = received_.back();
        for (int i = 0; i < repeats; ++i) {
            deliverToApplication(repeated);
        }
    }
    KeyEvent held;
    held.kind = KeyEventKind::keyHeld;
    held.key = stroke.key;
    held.isSwallowable = false;
    tapFactory_.deliver(held);
    return disposition;
}

void SimulatedDesktop::deliverPosted(const SyntheticKeyEvent& event) {
    // Key-ups reach neither the key-down tap nor a text field's editing.
    if (!event.isKeyDown) {
        return;
    }
    KeyEvent keyEvent;
    keyEvent.key = event.key;
    keyEvent.modifiers = event.modifiers;
    keyEvent.isOwnEvent = true;
    keyEvent.text = postedCharacters(event);
    deliver(keyEvent);
}

void SimulatedDesktop::setApplicationDelay(MainQueue& queue, std::chrono::milliseconds delay) {
    applicationQueue_ = &queue;
    applicationDelay_ = delay;
}

KeyDisposition SimulatedDesktop::deliver(const KeyEvent& event) {
    if (keyboardHolder_.isHolding() && event.kind == KeyEventKind::keyPress && !event.isOwnEvent) {
        keyboardHolder_.keep(tapFactory_.number(event));
        return KeyDisposition::pass;
    }
    const KeyEvent numbered = tapFactory_.number(event);
    const KeyDisposition disposition = tapFactory_.deliver(numbered);
    if (disposition == KeyDisposition::pass) {
        deliverToApplication(event);
    } else if (disposition == KeyDisposition::swallowAndHold) {
        keyboardHolder_.holdFromPress(numbered);
        return KeyDisposition::swallow;
    }
    return disposition;
}

void SimulatedDesktop::deliverToApplication(const KeyEvent& event) {
    received_.push_back(event);
    // The key goes to the field focused now, even if the application shows it later.
    auto field = focusedElement();
    if (applicationQueue_ && applicationDelay_.count() > 0) {
        const std::uint64_t number = ++keysSentOnTheirWay_;
        keysOnTheirWay_.push_back({number, std::move(field), event});
        applicationQueue_->postAfter(applicationDelay_,
                                     [weak = std::weak_ptr<SimulatedDesktop*>(self_), number] {
                                         if (const auto self = weak.lock()) {
                                             (*self)->showKeysUpTo(number);
                                         }
                                     });
    } else {
        applyToField(field, event);
    }
}

void SimulatedDesktop::showKeysUpTo(std::uint64_t last) {
    while (!keysOnTheirWay_.empty() && keysOnTheirWay_.front().number <= last) {
        const KeyOnItsWay key = std::move(keysOnTheirWay_.front());
        keysOnTheirWay_.pop_front();
        applyToField(key.field, key.event);
    }
}

void SimulatedDesktop::catchUp() {
    showKeysUpTo(keysSentOnTheirWay_);
}

void SimulatedDesktop::applyToField(const SimulatedElementRef& field, const KeyEvent& event) {
    if (!field || !field->hasText() || event.modifiers.hasAny(kCommandModifiers)) {
        return;
    }
    switch (event.key) {
        case Key::backspace:
            field->deleteBackward();
            return;
        case Key::enter:
        case Key::keypadEnter:
            if (field->roleValue() == AccessibilityRole::multiLineText) {
                field->insertText("\n");
            } else {
                field->submit();
            }
            return;
        case Key::left:
            if (event.modifiers.has(Modifier::shift)) {
                field->extendSelectionLeft();
            } else {
                field->moveCaretLeft();
            }
            return;
        case Key::right:
            field->moveCaretRight();
            return;
        default:
            break;
    }
    const std::string characters = event.text.value_or("");
    // Control characters (Tab, Escape) are commands to a toolkit, not text.
    if (!characters.empty() && static_cast<unsigned char>(characters.front()) >= 0x20 &&
        characters != "\x7f") {
        field->insertText(characters);
    }
}

}  // namespace plovik
