#include "app/coordinator/UndoController.h"

#include <utility>

namespace plovik {

UndoController::UndoController(CorrectionGate& gate, TextReplacementService& replacement,
                               FileCorrectionHistoryStore& history, CurrentTokenBuffer& tokenBuffer,
                               InputSourceService& inputSources, CoordinatorState& state)
    : gate_(gate),
      replacement_(replacement),
      history_(history),
      tokenBuffer_(tokenBuffer),
      inputSources_(inputSources),
      state_(state) {}

bool UndoController::canUndo() const {
    const auto& application = gate_.frontmostApplication();
    return application && undoState_.requestForUndo(*application).has_value();
}

void UndoController::undo(KeyPressNumber askedAt) {
    const auto application = gate_.frontmostApplication();
    if (!application) {
        return;
    }
    const auto request = undoState_.requestForUndo(*application);
    if (!request || !gate_.usableField()) {
        return;
    }
    const TextReplacementResult result = replacement_.replace(*request, askedAt);
    const auto correction = result.succeeded ? undoState_.consumeUndo(*application) : std::nullopt;
    if (!correction) {
        state_.statusMessage = result.errorMessage.value_or(kUndoFailedMessage);
        return;
    }
    history_.markOutcome(correction->recordID, CorrectionOutcome::undone);
    tokenBuffer_.noteReplacement(correction->corrected, correction->original, correction->delimiter,
                                 correction->originalDelimiter);
    (void)inputSources_.switchTo(correction->sourceLayout);
    state_.lastCorrection = std::nullopt;
    state_.lastReplacementMethod = result.method;
    state_.statusMessage = "Restored “" + correction->original + "”.";
}

void UndoController::remember(std::optional<LastCorrection> correction) {
    undoState_.setLastCorrection(std::move(correction));
}

void UndoController::forget() {
    undoState_.clear();
}

}  // namespace plovik
