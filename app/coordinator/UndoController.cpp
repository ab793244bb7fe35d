#include "app/coordinator/UndoController.h"

#include <utility>

namespace plovik {

UndoController::UndoController(CorrectionGate& gate, TextReplacementService& replacement,
                               SelectionConverterService& selections,
                               FileCorrectionHistoryStore& history, CurrentTokenBuffer& tokenBuffer,
                               InputSourceService& inputSources, CoordinatorState& state)
    : gate_(gate),
      replacement_(replacement),
      selections_(selections),
      history_(history),
      tokenBuffer_(tokenBuffer),
      inputSources_(inputSources),
      state_(state) {}

bool UndoController::canUndo() const {
    const auto& application = gate_.frontmostApplication();
    return application &&
           ((conversion_ && conversion_->applicationBundleIdentifier == *application) ||
            undoState_.requestForUndo(*application).has_value());
}

void UndoController::undo(KeyPressNumber askedAt) {
    const auto application = gate_.frontmostApplication();
    if (!application) {
        return;
    }
    if (conversion_) {
        if (conversion_->applicationBundleIdentifier == *application && gate_.usableField()) {
            undoConversion(*conversion_, askedAt);
        }
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
    restored(correction->original, result);
}

void UndoController::undoConversion(const LastConversion& conversion, KeyPressNumber askedAt) {
    const TextReplacementResult result =
        conversion.selectedRange
            ? selections_.replace({*conversion.selectedRange, conversion.converted},
                                  conversion.original, false, askedAt)
            : replacement_.replace(conversion.requestBack(), askedAt);
    if (!result.succeeded) {
        state_.statusMessage = result.errorMessage.value_or(kUndoFailedMessage);
        return;
    }
    // The buffer cannot tell what the field holds around the caret now.
    tokenBuffer_.reset();
    if (conversion.layoutBeforeSwitch) {
        (void)inputSources_.switchTo(*conversion.layoutBeforeSwitch);
    }
    const std::string original = LastConversion::excerpt(conversion.original);
    conversion_.reset();
    restored(original, result);
}

void UndoController::restored(const std::string& original, const TextReplacementResult& result) {
    state_.lastCorrection = std::nullopt;
    state_.lastReplacementMethod = result.method;
    state_.statusMessage = "Restored “" + original + "”.";
}

void UndoController::remember(std::optional<LastCorrection> correction) {
    conversion_.reset();
    undoState_.setLastCorrection(std::move(correction));
}

void UndoController::rememberConversion(LastConversion conversion) {
    undoState_.clear();
    conversion_ = std::move(conversion);
}

void UndoController::forget() {
    undoState_.clear();
    conversion_.reset();
}

}  // namespace plovik
