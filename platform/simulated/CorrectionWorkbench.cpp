#include "platform/simulated/CorrectionWorkbench.h"

#include <algorithm>

#include "core/decision/ConfidenceScorer.h"
#include "core/decision/OfflineLanguageDetector.h"
#include "core/decision/SafetyClassifier.h"
#include "core/history/FileCorrectionHistoryStore.h"
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
    return workbench;
}

CorrectionWorkbench::CorrectionWorkbench(const Configuration& configuration)
    : platform_(keymaps_), mainQueue_(queueClock_) {
    if (configuration.historyFile) {
        history_ = std::make_unique<FileCorrectionHistoryStore>(*configuration.historyFile,
                                                                kMaximumRecordCount, clock_);
    } else {
        history_ = std::make_unique<InMemoryCorrectionHistoryStore>();
    }
    engine_ = std::make_unique<CorrectionEngine>(
        std::make_unique<EnglishRussianLayoutMapper>(), SafetyClassifier(kMinimumTokenLength),
        ConfidenceScorer(std::make_unique<OfflineLanguageDetector>(spellChecker_, mainQueue_)),
        history_.get());
}

TypedTextReplayer CorrectionWorkbench::makeReplayer(TypedTextReplayer::Settings settings) {
    return TypedTextReplayer(*typist_, *inputSourceService_, *engine_, std::move(settings));
}

}  // namespace plovik
