#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/capture/PhysicalKeyStroke.h"
#include "core/capture/ShortcutDefinition.h"
#include "core/platform/KeyCapture.h"
#include "core/platform/MainQueue.h"

namespace plovik {

// The single entry point of keyboard input: one global key-down tap whose presses
// become typed strokes, deletions, the four shortcuts or a deferred Return.
// Everything it reports is posted to the main queue in key order; the predicates
// are asked synchronously while the key is held, so they must answer at once.
class KeyboardEventMonitor : public std::enable_shared_from_this<KeyboardEventMonitor> {
  public:
    struct Shortcuts {
        ShortcutDefinition manual;
        ShortcutDefinition undo;
        ShortcutDefinition pause;
        ShortcutDefinition convert;

        bool operator==(const Shortcuts&) const = default;
    };
    using ShortcutProvider = std::function<Shortcuts()>;

    class StartError : public std::exception {
      public:
        enum class Case { permissionMissingOrTapCreationFailed };

        explicit StartError(Case errorCase = Case::permissionMissingOrTapCreationFailed)
            : case_(errorCase) {}
        Case errorCase() const { return case_; }
        const char* what() const noexcept override;
        std::string description() const { return what(); }

        bool operator==(const StartError& other) const { return case_ == other.case_; }

      private:
        Case case_;
    };

    // Control or Super: such presses are never text.
    static constexpr Modifiers kCommandModifiers = Modifier::control | Modifier::super;
    // What a replayed Return needs.
    static constexpr Modifiers kDeferredReturnModifiers = Modifier::shift;

    // The provider is asked once per key, so changed shortcuts apply from the next
    // press on. Throws std::invalid_argument when it is empty.
    static std::shared_ptr<KeyboardEventMonitor> create(KeyCaptureFactory& tapFactory,
                                                        MainQueue& mainQueue,
                                                        ShortcutProvider shortcutProvider);
    ~KeyboardEventMonitor();
    KeyboardEventMonitor(const KeyboardEventMonitor&) = delete;
    KeyboardEventMonitor& operator=(const KeyboardEventMonitor&) = delete;

    // Installs and enables the tap; does nothing while one is installed.
    // Throws StartError when the system refuses the tap.
    void start();
    // Removes the tap; harmless when stopped.
    void stop();
    bool isRunning() const { return tap_ != nullptr; }

    // Reports of a press carry its number (KeyEvent::pressNumber), so that whoever acts
    // on it can tell whether the user has pressed another key since.
    using PressCallback = std::function<void(KeyPressNumber press)>;

    std::function<void(const std::string&, const PhysicalKeyStroke&, KeyPressNumber press)>
        onStroke;
    std::function<void()> onDeleteBackward;
    PressCallback onManualCorrection;
    PressCallback onUndo;
    PressCallback onPauseToggle;
    PressCallback onConvertSelection;
    std::function<void(Key key, Modifiers modifiers, KeyPressNumber press)> onDeferredReturn;
    // A key was held down and repeated unseen: the word being typed is unknown.
    std::function<void()> onHeldKey;

    std::function<bool()> shouldHandleManualCorrection;
    std::function<bool()> shouldHandleUndo;
    std::function<bool()> shouldHandleConversion;
    std::function<bool()> shouldDeferReturn;

  private:
    KeyboardEventMonitor(KeyCaptureFactory& tapFactory, MainQueue& mainQueue,
                         ShortcutProvider shortcutProvider);

    using Action = PressCallback KeyboardEventMonitor::*;

    KeyDisposition handle(const KeyEvent& event);
    // The shortcut's callback when the key is one of the shortcuts the owner accepts now.
    std::optional<Action> shortcutAction(Key key, Modifiers modifiers) const;
    KeyDisposition handleOrdinaryKey(const KeyEvent& event);

    // Posts a call of the callback member as it is when the block runs; nothing
    // happens once the monitor is gone.
    template <typename Callback, typename... Args>
    void schedule(Callback KeyboardEventMonitor::*callback, Args... args);

    KeyCaptureFactory& tapFactory_;
    MainQueue& mainQueue_;
    const ShortcutProvider shortcutProvider_;
    std::unique_ptr<KeyCapture> tap_;
};

}  // namespace plovik

template <>
struct std::hash<plovik::KeyboardEventMonitor::StartError> {
    std::size_t operator()(const plovik::KeyboardEventMonitor::StartError& error) const noexcept {
        return std::hash<int>{}(static_cast<int>(error.errorCase()));
    }
};
