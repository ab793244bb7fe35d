#include "app/workbench/CorrectionWorkbench.h"

#include <algorithm>

#include "core/decision/EngineFactory.h"
#include "core/history/HistoryFile.h"
#include "core/history/InMemoryCorrectionHistoryStore.h"
#include "core/layouts/SystemKeyboardLayoutTranslator.h"

namespace plovik {

namespace {

constexpr auto kHistoryRecordCap = static_cast<std::size_t>(EngineFactory::kHistoryRecordCap);

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
                          .readRetained(HistoryRetention(kHistoryRecordCap));
        if (auto* newest = std::get_if<std::vector<CorrectionRecord>>(&loaded)) {
            records = std::move(*newest);
        }
    }
    history_ =
        std::make_unique<InMemoryCorrectionHistoryStore>(std::move(records), kHistoryRecordCap);
}

std::optional<std::string> CorrectionWorkbench::buildEngine(CorrectionEngineKind kind) {
    const EngineFactory factory(rememberedSpelling_, mainQueue_, history_.get());
    if (kind == CorrectionEngineKind::described) {
        engine_ = factory.standard();
        return std::nullopt;
    }
    auto languages = EngineFactory::installedLanguages();
    if (auto* error = std::get_if<std::string>(&languages)) {
        return *error;
    }
    engine_ = factory.extended(std::move(std::get<ExtendedEngine::LanguageModels>(languages)),
                               kRememberedWords);
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
