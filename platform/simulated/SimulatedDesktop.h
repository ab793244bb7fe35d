#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/capture/PhysicalKeyStroke.h"
#include "core/layouts/TypingSimulator.h"
#include "core/platform/KeyCapture.h"
#include "core/platform/MainQueue.h"
#include "platform/linux/XkbKeymapLibrary.h"
#include "platform/simulated/SimulatedAccessibility.h"
#include "platform/simulated/SimulatedActiveApplication.h"
#include "platform/simulated/SimulatedKeyCaptureFactory.h"
#include "platform/simulated/SimulatedKeyInjector.h"
#include "platform/simulated/SimulatedKeyboardHolder.h"
#include "platform/simulated/SimulatedLayoutSource.h"
#include "platform/simulated/SimulatedPermissions.h"

namespace plovik {

// A complete in-memory desktop: applications with element trees and focused text
// fields, the permission switches, and a keyboard whose presses (typed by the user
// or posted by Plovik) pass the key-event tap and then reach the focused field the
// way a toolkit applies them.
class SimulatedDesktop {
  public:
    // Control and Super: a toolkit treats such presses as commands, not text.
    static constexpr Modifiers kCommandModifiers = Modifier::control | Modifier::super;

    SimulatedDesktop();
    // Shares compiled key maps with other desktops (they take a while to load).
    explicit SimulatedDesktop(std::shared_ptr<XkbKeymapLibrary> keymaps);
    SimulatedDesktop(const SimulatedDesktop&) = delete;
    SimulatedDesktop& operator=(const SimulatedDesktop&) = delete;

    // --- The ports
    SimulatedAccessibility& accessibility() { return accessibility_; }
    SimulatedKeyInjector& eventPoster() { return eventPoster_; }
    const SimulatedKeyInjector& eventPoster() const { return eventPoster_; }
    SimulatedActiveApplication& workspace() { return workspace_; }
    SimulatedPermissions& permissions() { return permissions_; }
    // Taps can be created while Input Monitoring is granted.
    SimulatedKeyCaptureFactory& keyEventTapFactory() { return tapFactory_; }
    // Holds the user's keys back while Plovik edits.
    SimulatedKeyboardHolder& keyboardHolder() { return keyboardHolder_; }
    // The keyboard input sources with real XKB key maps; none is installed at first.
    SimulatedLayoutSource& inputSources();

    // --- Applications and fields
    // A running application with one (focused) window; throws std::invalid_argument
    // when the process identifier is taken.
    std::shared_ptr<SimulatedApplication> launch(std::optional<std::string> bundleIdentifier,
                                                 std::optional<std::string> name,
                                                 std::int32_t processIdentifier);
    bool activate(std::int32_t processIdentifier) { return workspace_.activate(processIdentifier); }
    // A new focused text field in the application's first window.
    SimulatedElementRef addFocusedTextField(
        SimulatedApplication& application, const std::string& text,
        AccessibilityRole role = AccessibilityRole::singleLineText);
    // The focused element of the frontmost application.
    SimulatedElementRef focusedElement() const;

    // --- Keyboard
    // A key press by the user: through the tap, then (unless swallowed) to the field.
    KeyDisposition pressKey(const KeyEvent& event);
    // Types text as the user would: each character becomes the physical strokes that
    // type it under the selected input source, and each stroke a key press through
    // the tap. False, and nothing typed, when no source is selected, it has no key
    // map, or a character cannot be typed with it.
    bool typeText(std::string_view text);
    // One physical key press under the selected source; a dead key composes with
    // the next press. Without a usable source the event carries no characters.
    KeyDisposition pressStroke(const PhysicalKeyStroke& stroke);
    // The stroke held down until the application has repeated it `repeats` times. As on
    // X11, the tap sees the press once and, at the release, that the key was held.
    KeyDisposition holdStroke(const PhysicalKeyStroke& stroke, int repeats);
    // Applications take `delay` to show each key that reaches them, as real ones do: the
    // tap sees a key before the field holds it. Zero (the default): at once.
    void setApplicationDelay(MainQueue& queue, std::chrono::milliseconds delay);
    // The applications show every key still on its way to them now, in order: a real one
    // handles its queued input between any two requests it answers, even while Plovik is
    // in the middle of an edit.
    void catchUp();
    // The key-down events that reached an application, in order.
    const std::vector<KeyEvent>& keysReceivedByApplications() const { return received_; }
    // The characters a key types without a layout (control keys and space only).
    static std::optional<std::string> controlCharacters(Key key);

  private:
    void deliverPosted(const SyntheticKeyEvent& event);
    KeyDisposition deliver(const KeyEvent& event);
    void deliverToApplication(const KeyEvent& event);
    void applyToField(const SimulatedElementRef& field, const KeyEvent& event);
    // Shows the keys on their way, up to and including the one numbered `last`.
    void showKeysUpTo(std::uint64_t last);
    std::optional<InputSource> currentSource();
    std::optional<std::string> translate(const InputSource& source, Key key, Modifiers modifiers,
                                         ComposeState& compose);
    std::optional<std::string> postedCharacters(const SyntheticKeyEvent& event);
    const TypingSimulator& typingSimulator(const InputSource& source);

    std::shared_ptr<SimulatedAccessibilityEnvironment> environment_;
    SimulatedPermissions permissions_;
    SimulatedActiveApplication workspace_;
    SimulatedAccessibility accessibility_;
    SimulatedKeyInjector eventPoster_;
    SimulatedKeyCaptureFactory tapFactory_;
    SimulatedKeyboardHolder keyboardHolder_;
    std::shared_ptr<XkbKeymapLibrary> keymaps_;
    std::unique_ptr<SimulatedLayoutSource> inputSources_;
    std::map<std::string, std::unique_ptr<TypingSimulator>, std::less<>> typingSimulators_;
    // The compose sequence dead keys left pending, and the source it belongs to.
    ComposeState compose_;
    std::optional<std::string> composeSource_;
    std::vector<KeyEvent> received_;
    MainQueue* applicationQueue_ = nullptr;
    std::chrono::milliseconds applicationDelay_{0};
    // Keys that reached an application and are not shown yet, oldest first.
    struct KeyOnItsWay {
        std::uint64_t number;
        SimulatedElementRef field;
        KeyEvent event;
    };
    std::deque<KeyOnItsWay> keysOnTheirWay_;
    std::uint64_t keysSentOnTheirWay_ = 0;
    // Keys still on their way to a field end with the desktop.
    std::shared_ptr<SimulatedDesktop*> self_ = std::make_shared<SimulatedDesktop*>(this);
};

}  // namespace plovik
