#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app/workbench/TypedTextReplayer.h"
#include "core/decision/DecisionEngine.h"
#include "core/decision/RememberingSpellChecker.h"
#include "core/history/CorrectionHistoryStoring.h"
#include "core/layouts/InputSourceService.h"
#include "core/layouts/KeyboardLayout.h"
#include "core/layouts/TypingSimulator.h"
#include "core/settings/CorrectionEngineKind.h"
#include "core/support/SystemClock.h"
#include "platform/linux/EnchantSpellChecker.h"
#include "platform/linux/XkbKeymapLibrary.h"
#include "platform/simulated/SimulatedClock.h"
#include "platform/simulated/SimulatedLayoutSource.h"
#include "platform/simulated/SimulatedMainQueue.h"

namespace plovik {

// The automatic correction as the application builds it (the engine factory's engines over
// the real spell checker, the learning history), over a simulated list of input sources that
// carry the real XKB key maps. No desktop is needed.
class CorrectionWorkbench {
  public:
    struct Configuration {
        // Enabled input sources in order: "xkb:us", "xkb:us(dvorak)".
        std::vector<std::string> layoutIds;
        // Selected while typing; one of layoutIds.
        std::string typedInId;
        // The learning history file; absent: an empty history kept in memory.
        std::optional<std::filesystem::path> historyFile;
        CorrectionEngineKind engine = CorrectionEngineKind::described;
        // Type each character under whichever enabled layout types it.
        bool typeUnderAnyLayout = false;
    };

    // A readable message when a layout is unknown or the typed-in one is not enabled.
    static std::variant<std::unique_ptr<CorrectionWorkbench>, std::string> create(
        const Configuration& configuration);

    CorrectionWorkbench(const CorrectionWorkbench&) = delete;
    CorrectionWorkbench& operator=(const CorrectionWorkbench&) = delete;

    const KeyboardLayout& typedInLayout() const { return typedInLayout_; }
    InputSourceService& inputSources() { return *inputSourceService_; }
    const DecisionEngine& engine() const { return *engine_; }
    CorrectionHistoryStoring& history() { return *history_; }

    // Types with the strokes of the typed-in layout into this workbench's services.
    std::unique_ptr<TypedTextReplayer> makeReplayer(TypedTextReplayer::Settings settings);

  private:
    explicit CorrectionWorkbench(const Configuration& configuration);
    // A readable message when the extended engine's language files cannot be found.
    std::optional<std::string> buildEngine(CorrectionEngineKind kind);
    std::optional<std::string> prepareTypists(const Configuration& configuration);

    // A run over long text meets tens of thousands of distinct words; remembering fewer
    // makes a long run slower, not different.
    static constexpr std::size_t kRememberedWords = 1 << 15;
    static constexpr std::size_t kRememberedSpellings = 1 << 16;

    XkbKeymapLibrary keymaps_;
    SimulatedLayoutSource platform_;
    std::unique_ptr<InputSourceService> inputSourceService_;
    std::shared_ptr<const KeyLayoutData> typedInKeyMap_;
    std::unique_ptr<TypingSimulator> typist_;
    KeyboardLayout typedInLayout_;
    SimulatedClock queueClock_;
    SimulatedMainQueue mainQueue_;
    SystemClock clock_;
    EnchantSpellChecker spellChecker_;
    // A run over long text asks about the same words again and again.
    RememberingSpellChecker rememberedSpelling_{spellChecker_, kRememberedSpellings};
    std::unique_ptr<CorrectionHistoryStoring> history_;
    std::unique_ptr<DecisionEngine> engine_;
    // Every enabled layout's typist, when text is typed under any of them.
    std::vector<std::unique_ptr<TypingSimulator>> layoutTypists_;
    std::vector<std::shared_ptr<const KeyLayoutData>> layoutKeyMaps_;
    std::vector<TypedTextReplayer::LayoutTypist> anyLayoutTypists_;
};

}  // namespace plovik
