#include "platform/simulated/CorrectionWorkbench.h"

#include <algorithm>

#include "core/decision/ConfidenceScorer.h"
#include "core/decision/ExtendedEngine.h"
#include "core/decision/LanguageDataDirectory.h"
#include "core/decision/OfflineLanguageDetector.h"
#include "core/decision/SafetyClassifier.h"
#include "core/decision/StandardEngine.h"
#include "core/history/HistoryFile.h"
#include "core/history/InMemoryCorrectionHistoryStore.h"
#include "core/layouts/EnglishRussianLayoutMapper.h"
#include "core/layouts/SystemKeyboardLayoutTranslator.h"

namespace plovik {

namespace {

// Tokens shorter than this are never converted unless they become a common short word.
constexpr int kMinimumTokenLength = 3;

std::string layoutName(const std::string& id) {
    return id.starts_with("xkb:") ? id.substr(4) : id;
}

}  // namespace

std::variant<std::unique_ptr<CorrectionWorkbench>, std::string> CorrectionWorkbench::create(
    const Configuration& configuration) {
    const auto& ids = configuration.layoutIds;
    if (std::find(ids.begin(), ids.end(), configuration.typedInId) == ids.end()) {
        return "the typed-in layout " + layoutName(configuration.typedInId) +
               " is not among the enabled layouts";
    }
    std::unique_ptr<CorrectionWorkbench> workbench(new CorrectionWorkbench(configuration));
    for (const auto& id : ids) {
        if (!workbench->platform_.addKeyboardLayout(id)) {
            return "unknown layout \"" + layoutName(id) + "\" (an XKB layout name such as us, " +
                   "ru or us(dvorak) was expected)";
        }
    }
    workbench->platform_.setCurrentSourceId(configuration.typedInId);
    workbench->inputSourceService_ = std::make_unique<InputSourceService>(
        workbench->platform_, SystemKeyboardLayoutTranslator(workbench->platform_));
    const auto current = workbench->inputSourceService_->currentLayout();
    workbench->typedInKeyMap_ = workbench->keymaps_.keyLayoutData(configuration.typedInId);
    if (!current || !workbench->typedInKeyMap_) {
        return "the layout " + layoutName(configuration.typedInId) + " cannot be typed in";
    }
    workbench->typedInLayout_ = *current;
    workbench->typist_ = std::make_unique<TypingSimulator>(*workbench->typedInKeyMap_);
    if (auto error = workbench->prepareTypists(configuration)) {
        return *error;
    }
    if (auto error = workbench->buildEngine(configuration.engine)) {
        return *error;
    }
    return workbench;
}

CorrectionWorkbench::CorrectionWorkbench(const Configuration& configuration)
    : platform_(keymaps_), mainQueue_(queueClock_) {
    // The replay learns from its own corrections as the application does, in memory: the
    // user's file is only read.
    std::vector<CorrectionRecord> records;
    if (configuration.historyFile) {
        auto loaded = HistoryFile(*configuration.historyFile)
                          .readRetained(HistoryRetention(kMaximumRecordCount));
        if (auto* newest = std::get_if<std::vector<CorrectionRecord>>(&loaded)) {
            records = std::move(*newest);
        }
    }
    history_ =
        std::make_unique<InMemoryCorrectionHistoryStore>(std::move(records), kMaximumRecordCount);
}

std::optional<std::string> CorrectionWorkbench::buildEngine(CorrectionEngineKind kind) {
    auto standard = std::make_unique<StandardEngine>(
        std::make_unique<EnglishRussianLayoutMapper>(), SafetyClassifier(kMinimumTokenLength),
        ConfidenceScorer(
            std::make_unique<OfflineLanguageDetector>(rememberedSpelling_, mainQueue_)),
        history_.get());
    if (kind == CorrectionEngineKind::described) {
        engine_ = std::move(standard);
        return std::nullopt;
    }
    const auto directory = LanguageDataDirectory::locate();
    if (!directory) {
        std::string places;
        for (const auto& place : LanguageDataDirectory::candidates()) {
            places += (places.empty() ? "" : ", ") + place.string();
        }
        return "the extended engine's language files are missing (looked in " + places + ")";
    }
    engine_ = std::make_unique<ExtendedEngine>(std::move(standard),
                                               ExtendedEngine::loadLanguageModels(*directory),
                                               &rememberedSpelling_, kRememberedWords);
    return std::nullopt;
}

std::optional<std::string> CorrectionWorkbench::prepareTypists(const Configuration& configuration) {
    if (!configuration.typeUnderAnyLayout) {
        return std::nullopt;
    }
    for (const auto& layout : inputSourceService_->supportedLayouts()) {
        auto keyMap = keymaps_.keyLayoutData(layout.id);
        if (!keyMap) {
            return "the layout " + layoutName(layout.id) + " cannot be typed in";
        }
        layoutTypists_.push_back(std::make_unique<TypingSimulator>(*keyMap));
        layoutKeyMaps_.push_back(std::move(keyMap));
        anyLayoutTypists_.push_back({layout, layoutTypists_.back().get()});
    }
    return std::nullopt;
}

std::unique_ptr<TypedTextReplayer> CorrectionWorkbench::makeReplayer(
    TypedTextReplayer::Settings settings) {
    auto replayer = std::make_unique<TypedTextReplayer>(
        *typist_, *inputSourceService_, *engine_, TypedTextReplayer::Learning{*history_, clock_},
        std::move(settings));
    if (!anyLayoutTypists_.empty()) {
        replayer->typeUnderAnyLayout(anyLayoutTypists_);
    }
    return replayer;
}

}  // namespace plovik
