#pragma once

#include <optional>

#include "app/coordinator/CoordinatorState.h"
#include "app/coordinator/CorrectionGate.h"
#include "core/history/FileCorrectionHistoryStore.h"
#include "core/layouts/InputSourceService.h"
#include "core/platform/KeyCapture.h"
#include "core/replacement/CorrectionUndoState.h"
#include "core/replacement/LastConversion.h"
#include "core/replacement/LastCorrection.h"
#include "core/replacement/SelectionConverterService.h"
#include "core/replacement/TextReplacementService.h"
#include "core/tokens/CurrentTokenBuffer.h"

namespace plovik {

// Takes back the last undoable change in the application in front. A correction: restores
// the text, marks the history record undone and selects the layout the word was typed in.
// A conversion: restores the text (selected again when it was a selection) and the layout
// it switched from; the history never knew it.
class UndoController {
  public:
    static constexpr const char* kUndoFailedMessage = "The last correction could not be undone.";

    UndoController(CorrectionGate& gate, TextReplacementService& replacement,
                   SelectionConverterService& selections, FileCorrectionHistoryStore& history,
                   CurrentTokenBuffer& tokenBuffer, InputSourceService& inputSources,
                   CoordinatorState& state);

    bool canUndo() const;
    // Asked for by the user's press `askedAt` (KeyEvent::pressNumber, or the latest press
    // when asked from a menu).
    void undo(KeyPressNumber askedAt);
    // Absent: the last correction may not be undone (its Return went on to the field).
    void remember(std::optional<LastCorrection> correction);
    // The last change from now on; the correction before it can no longer be undone.
    void rememberConversion(LastConversion conversion);
    // The conversion that is the last change, if it is.
    const std::optional<LastConversion>& lastConversion() const { return conversion_; }
    void forget();

  private:
    void undoConversion(const LastConversion& conversion, KeyPressNumber askedAt);
    void restored(const std::string& original, const TextReplacementResult& result);

    CorrectionGate& gate_;
    TextReplacementService& replacement_;
    SelectionConverterService& selections_;
    FileCorrectionHistoryStore& history_;
    CurrentTokenBuffer& tokenBuffer_;
    InputSourceService& inputSources_;
    CoordinatorState& state_;
    CorrectionUndoState undoState_;
    std::optional<LastConversion> conversion_;
};

}  // namespace plovik
