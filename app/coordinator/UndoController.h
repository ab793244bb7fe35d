#pragma once

#include <optional>

#include "app/coordinator/CoordinatorState.h"
#include "app/coordinator/CorrectionGate.h"
#include "core/history/FileCorrectionHistoryStore.h"
#include "core/layouts/InputSourceService.h"
#include "core/platform/KeyEventTap.h"
#include "core/replacement/CorrectionUndoState.h"
#include "core/replacement/LastCorrection.h"
#include "core/replacement/TextReplacementService.h"
#include "core/tokens/CurrentTokenBuffer.h"

namespace plovik {

// Takes back the last undoable correction in the application in front: restores the text,
// marks the history record undone and selects the layout the word was typed in.
class UndoController {
  public:
    static constexpr const char* kUndoFailedMessage = "The last correction could not be undone.";

    UndoController(CorrectionGate& gate, TextReplacementService& replacement,
                   FileCorrectionHistoryStore& history, CurrentTokenBuffer& tokenBuffer,
                   InputSourceService& inputSources, CoordinatorState& state);

    bool canUndo() const;
    // Asked for by the user's press `askedAt` (KeyEvent::pressNumber, or the latest press
    // when asked from a menu).
    void undo(KeyPressNumber askedAt);
    // Absent: the last correction may not be undone (its Return went on to the field).
    void remember(std::optional<LastCorrection> correction);
    void forget();

  private:
    CorrectionGate& gate_;
    TextReplacementService& replacement_;
    FileCorrectionHistoryStore& history_;
    CurrentTokenBuffer& tokenBuffer_;
    InputSourceService& inputSources_;
    CoordinatorState& state_;
    CorrectionUndoState undoState_;
};

}  // namespace plovik
