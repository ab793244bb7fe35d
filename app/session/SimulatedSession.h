#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/coordinator/AppCoordinator.h"
#include "app/session/TemporaryFolder.h"
#include "core/capture/PhysicalKeyStroke.h"
#include "core/capture/ShortcutDefinition.h"
#include "core/layouts/TypingSimulator.h"
#include "core/settings/CorrectionEngineKind.h"
#include "core/settings/SettingsStore.h"
#include "platform/linux/EnchantSpellChecker.h"
#include "platform/linux/XkbKeymapLibrary.h"
#include "platform/simulated/InMemorySettingsFiles.h"
#include "platform/simulated/SimulatedApplicationCatalog.h"
#include "platform/simulated/SimulatedClock.h"
#include "platform/simulated/SimulatedDesktop.h"
#include "platform/simulated/SimulatedKeyCaptureFactory.h"
#include "platform/simulated/SimulatedLayoutSource.h"
#include "platform/simulated/SimulatedMainQueue.h"
#include "platform/simulated/SimulatedShortcutProbe.h"
#include "platform/simulated/SimulatedSystemServices.h"
#include "platform/simulated/SimulatedUserDataFolder.h"

namespace plovik {

// The whole application on the simulated desktop, shared by tests, tools and headless
// runs: one application in front with a focused text field, input sources with the
// real XKB key maps, the real spell checker, in-memory defaults, and virtual time.
// The per-user folder is a fresh temporary one unless a folder is given, so nothing
// reads or writes the user's own settings or history.
class SimulatedSession {
  public:
    struct Configuration {
        // Enabled input sources, in order.
        std::vector<std::string> layoutIds{"xkb:us", "xkb:ru"};
        // Selected at the start; the text given to type() is turned into its strokes.
        std::string typedInId = "xkb:us";
        std::string applicationBundleIdentifier = "org.plovik.SimulatedEditor";
        std::string applicationName = "Editor";
        // Whether the application is in the settings' list of enabled applications.
        bool listsApplication = true;
        bool switchInputSourceAfterCorrection = false;
        double confidenceThreshold = 0.9;
        CorrectionEngineKind correctionEngine = CorrectionEngineKind::described;
        // Multi-line text takes Return as a line break; single-line text submits.
        AccessibilityRole fieldRole = AccessibilityRole::multiLineText;
        // Absent: a fresh temporary folder, removed with the session.
        std::optional<std::filesystem::path> perUserFolder;
    };

    static constexpr std::chrono::milliseconds kKeyInterval{35};
    static constexpr std::int32_t kApplicationProcessIdentifier = 4242;

    // A readable message when a layout is unknown or the typed-in one is not enabled.
    static std::variant<std::unique_ptr<SimulatedSession>, std::string> create(
        Configuration configuration);
    ~SimulatedSession();
    SimulatedSession(const SimulatedSession&) = delete;
    SimulatedSession& operator=(const SimulatedSession&) = delete;

    // --- The parts
    AppCoordinator& coordinator() { return *coordinator_; }
    std::shared_ptr<AppCoordinator>& coordinatorPointer() { return coordinator_; }
    SimulatedDesktop& desktop() { return desktop_; }
    SimulatedKeyCaptureFactory& taps() { return desktop_.keyEventTapFactory(); }
    SimulatedClock& clock() { return clock_; }
    SimulatedMainQueue& mainQueue() { return mainQueue_; }
    SimulatedLayoutSource& inputSources() { return desktop_.inputSources(); }
    SettingsStore& settingsStore() { return *settingsStore_; }
    InMemorySettingsFiles& defaults() { return defaults_; }
    SimulatedSystemServices& systemServices() { return systemServices_; }
    SimulatedApplicationCatalog& applicationCatalog() { return applicationCatalog_; }
    SimulatedShortcutProbe& shortcutProbe() { return shortcutProbe_; }
    SimulatedApplication& application() { return *application_; }
    const SimulatedElementRef& field() const { return field_; }
    std::string fieldText() const { return field_->text(); }
    const std::filesystem::path& perUserFolder() const { return perUserFolder_; }

    // --- Permissions, as the user switches them in the desktop's settings
    void setAccessibilityGranted(bool granted);
    void setInputMonitoringGranted(bool granted);

    // --- Typing. Every key is followed by kKeyInterval of virtual time.
    // Types the text with the strokes of the typed-in layout, worked out once; each
    // stroke types what the layout selected at that moment makes of it. A line break
    // is the Return key; a character the layout cannot type reaches the field without
    // a key, as pasted text does.
    void type(std::string_view text);
    // One key press with the characters the current layout gives it.
    KeyDisposition pressStroke(const PhysicalKeyStroke& stroke);
    KeyDisposition pressReturn(Modifiers modifiers = {});
    KeyDisposition pressDelete();
    KeyDisposition pressShortcut(const ShortcutDefinition& shortcut);
    // Lets virtual time pass so that every pending correction and replay is done.
    void settle();
    // The text a stroke types in the selected layout (no dead key pending); absent when
    // it has no key map.
    std::optional<std::string> charactersOf(const PhysicalKeyStroke& stroke);
    // The key-down event of a stroke in the selected layout, for pressing it without
    // letting time pass.
    KeyEvent keyEventFor(const PhysicalKeyStroke& stroke);
    // The strokes that type the text in the typed-in layout; empty when it cannot.
    std::vector<PhysicalKeyStroke> strokesOf(std::string_view text) const;

  private:
    explicit SimulatedSession(Configuration configuration);

    std::optional<std::string> prepare();
    void addApplicationToSettings();
    KeyDisposition press(KeyEvent event);
    // Lets the key interval pass after a key press.
    KeyDisposition afterKey(Key key, Modifiers modifiers, KeyDisposition disposition);

    const Configuration configuration_;
    std::unique_ptr<TemporaryFolder> temporaryFolder_;
    std::filesystem::path perUserFolder_;
    SimulatedClock clock_;
    SimulatedMainQueue mainQueue_;
    std::shared_ptr<XkbKeymapLibrary> keymaps_;
    SimulatedDesktop desktop_;
    std::unique_ptr<TypingSimulator> typist_;
    EnchantSpellChecker spellChecker_;
    InMemorySettingsFiles defaults_;
    SimulatedUserDataFolder applicationSupport_;
    SimulatedSystemServices systemServices_;
    SimulatedApplicationCatalog applicationCatalog_;
    SimulatedShortcutProbe shortcutProbe_;
    std::unique_ptr<SettingsStore> settingsStore_;
    std::shared_ptr<SimulatedApplication> application_;
    SimulatedElementRef field_;
    std::shared_ptr<AppCoordinator> coordinator_;
};

}  // namespace plovik
