#include "app/session/SimulatedSession.h"

#include <algorithm>
#include <utility>

#include "core/layouts/SystemKeyboardLayoutTranslator.h"
#include "core/text/Graphemes.h"
#include "core/text/LocalizedComparison.h"

namespace plovik {

namespace {

// Folders of the simulated user below the per-user folder.
constexpr const char* kApplicationSupportFolder = "Application Support";

}  // namespace

std::variant<std::unique_ptr<SimulatedSession>, std::string> SimulatedSession::create(
    Configuration configuration) {
    std::unique_ptr<SimulatedSession> session(new SimulatedSession(std::move(configuration)));
    if (auto error = session->prepare()) {
        return *error;
    }
    return session;
}

SimulatedSession::SimulatedSession(Configuration configuration)
    : configuration_(std::move(configuration)),
      temporaryFolder_(configuration_.perUserFolder ? nullptr
                                                    : std::make_unique<TemporaryFolder>()),
      perUserFolder_(temporaryFolder_ ? temporaryFolder_->path() : *configuration_.perUserFolder),
      mainQueue_(clock_),
      keymaps_(std::make_shared<XkbKeymapLibrary>()),
      desktop_(keymaps_),
      applicationSupport_(perUserFolder_ / kApplicationSupportFolder) {}

SimulatedSession::~SimulatedSession() {
    // The coordinator may still post withheld keys to the desktop while it goes.
    coordinator_.reset();
}

std::optional<std::string> SimulatedSession::prepare() {
    auto& inputSources = desktop_.inputSources();
    for (const auto& id : configuration_.layoutIds) {
        if (!inputSources.addKeyboardLayout(id)) {
            return "unknown keyboard layout " + id;
        }
    }
    const auto& layouts = configuration_.layoutIds;
    if (std::find(layouts.begin(), layouts.end(), configuration_.typedInId) == layouts.end()) {
        return "the typed-in layout " + configuration_.typedInId + " is not enabled";
    }
    inputSources.setCurrentSourceId(configuration_.typedInId);
    typist_ = std::make_unique<TypingSimulator>(*keymaps_->keyLayoutData(configuration_.typedInId));
    application_ = desktop_.launch(configuration_.applicationBundleIdentifier,
                                   configuration_.applicationName, kApplicationProcessIdentifier);
    field_ = desktop_.addFocusedTextField(*application_, "", configuration_.fieldRole);
    desktop_.activate(kApplicationProcessIdentifier);
    settingsStore_ = std::make_unique<SettingsStore>(
        defaults_, SettingsStore::kStandardStorageKey, clock_,
        text::LocalizedComparison(text::LocalizedComparison::userLocaleName()));
    if (configuration_.listsApplication) {
        addApplicationToSettings();
    }
    settingsStore_->update([this](AppSettings& settings) {
        settings.correctionEngine = configuration_.correctionEngine;
    });
    coordinator_ = AppCoordinator::create(
        *settingsStore_, CoordinatorEnvironment{desktop_.keyEventTapFactory(), mainQueue_, clock_,
                                                desktop_.accessibility(), desktop_.eventPoster(),
                                                desktop_.keyboardHolder(), desktop_.workspace(),
                                                desktop_.permissions(), inputSources, spellChecker_,
                                                applicationSupport_, systemServices_,
                                                applicationCatalog_, shortcutProbe_});
    mainQueue_.runUntilIdle();
    return std::nullopt;
}

void SimulatedSession::addApplicationToSettings() {
    settingsStore_->addApplication(EnabledApplication(
        configuration_.applicationBundleIdentifier, configuration_.applicationName, std::nullopt,
        std::nullopt, true, true, configuration_.switchInputSourceAfterCorrection, true,
        configuration_.confidenceThreshold));
}

void SimulatedSession::setAccessibilityGranted(bool granted) {
    desktop_.permissions().setAccessibilityGranted(granted);
}

void SimulatedSession::setInputMonitoringGranted(bool granted) {
    desktop_.permissions().setInputMonitoringGranted(granted);
}

void SimulatedSession::type(std::string_view text) {
    // The keys come from the typed-in layout alone: a layout switch on the way changes what
    // they type, never which keys are pressed.
    text::Graphemes::forEach(text, [this](const std::string& character) {
        if (character == "\n" || character == "\r\n") {
            pressReturn();
            return;
        }
        const auto strokes = typist_->strokesForCharacter(character);
        if (!strokes) {
            field_->insertText(character);
            return;
        }
        for (const auto& stroke : *strokes) {
            pressStroke(stroke);
        }
    });
}

std::optional<std::string> SimulatedSession::charactersOf(const PhysicalKeyStroke& stroke) {
    auto& inputSources = desktop_.inputSources();
    const auto id = inputSources.currentSourceId();
    const auto keyMap = id ? keymaps_->keyLayoutData(*id) : nullptr;
    if (!keyMap) {
        return std::nullopt;
    }
    ComposeState noSequence;
    return SystemKeyboardLayoutTranslator::translateStrokes(*keyMap, {stroke}, noSequence);
}

KeyEvent SimulatedSession::keyEventFor(const PhysicalKeyStroke& stroke) {
    KeyEvent event;
    event.key = stroke.key;
    event.modifiers = stroke.modifiers;
    event.text = charactersOf(stroke);
    return event;
}

std::vector<PhysicalKeyStroke> SimulatedSession::strokesOf(std::string_view text) const {
    return typist_->strokes(text).value_or(std::vector<PhysicalKeyStroke>{});
}

KeyDisposition SimulatedSession::pressStroke(const PhysicalKeyStroke& stroke) {
    return afterKey(stroke.key, stroke.modifiers, desktop_.pressStroke(stroke));
}

KeyDisposition SimulatedSession::pressReturn(Modifiers modifiers) {
    KeyEvent event;
    event.key = Key::enter;
    event.modifiers = modifiers;
    event.text = "\r";
    return press(event);
}

KeyDisposition SimulatedSession::pressDelete() {
    KeyEvent event;
    event.key = Key::backspace;
    event.text = "\x7f";
    return press(event);
}

KeyDisposition SimulatedSession::pressShortcut(const ShortcutDefinition& shortcut) {
    KeyEvent event;
    // A stored shortcut this system cannot express is pressed as Space.
    event.key = shortcut.key().value_or(Key::space);
    event.modifiers = shortcut.modifiers().value_or(Modifiers());
    event.text = charactersOf({event.key, event.modifiers});
    return press(event);
}

KeyDisposition SimulatedSession::press(KeyEvent event) {
    return afterKey(event.key, event.modifiers, desktop_.pressKey(event));
}

KeyDisposition SimulatedSession::afterKey(Key key, Modifiers modifiers,
                                          KeyDisposition disposition) {
    // The desktop's toolkit takes Tab as a command; a text area takes it as text.
    if (disposition == KeyDisposition::pass && key == Key::tab &&
        !modifiers.hasAny(SimulatedDesktop::kCommandModifiers) &&
        field_->roleValue() == AccessibilityRole::multiLineText &&
        desktop_.focusedElement() == field_) {
        field_->insertText("\t");
    }
    mainQueue_.advance(kKeyInterval);
    return disposition;
}

void SimulatedSession::settle() {
    mainQueue_.runUntilIdle();
    for (int step = 0; step < 1000 && coordinator_->pendingAutomaticCorrectionCount() > 0; ++step) {
        mainQueue_.advance(kKeyInterval);
    }
    mainQueue_.runUntilIdle();
}

}  // namespace plovik
