#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/coordinator/CoordinatorState.h"
#include "app/coordinator/CorrectionFeedback.h"
#include "app/coordinator/CorrectionGate.h"
#include "app/coordinator/EngineChoice.h"
#include "app/coordinator/UndoController.h"
#include "core/capture/PhysicalKeyStroke.h"
#include "core/correction/WordCorrector.h"
#include "core/history/CorrectionRecord.h"
#include "core/history/FileCorrectionHistoryStore.h"
#include "core/layouts/InputSourceService.h"
#include "core/platform/Clock.h"
#include "core/platform/Key.h"
#include "core/platform/KeyCapture.h"
#include "core/platform/KeyboardHold.h"
#include "core/platform/MainQueue.h"
#include "core/platform/Modifiers.h"
#include "core/replacement/FocusedElementService.h"
#include "core/replacement/SyntheticKeyboardService.h"
#include "core/replacement/TextReplacementService.h"
#include "core/tokens/CurrentTokenBuffer.h"
#include "core/tokens/TokenCompletion.h"
#include "core/tokens/TypedPhrase.h"

namespace plovik {

// From key strokes to corrected words: follows the word being typed, decides each finished
// word a moment after its delimiter, holds a Return back until the words before it are
// done, runs the manual correction and applies a decision (text, history, undo, layout
// switch, feedback). Lives in a std::shared_ptr: scheduled corrections hold it weakly.
class CorrectionFlow : public std::enable_shared_from_this<CorrectionFlow> {
  public:
    static constexpr std::chrono::milliseconds kAutomaticCorrectionDelay{35};

    struct Collaborators {
        CorrectionGate& gate;
        MainQueue& mainQueue;
        const Clock& clock;
        InputSourceService& inputSources;
        FocusedElementService& focusedElements;
        CurrentTokenBuffer& tokenBuffer;
        TypedPhrase& phrase;
        const EngineChoice& engines;
        TextReplacementService& replacement;
        SyntheticKeyboardService& syntheticKeyboard;
        KeyboardHolder& keyboard;
        FileCorrectionHistoryStore& history;
        UndoController& undo;
        CorrectionFeedback& feedback;
        CoordinatorState& state;
    };

    explicit CorrectionFlow(Collaborators collaborators);
    ~CorrectionFlow();
    CorrectionFlow(const CorrectionFlow&) = delete;
    CorrectionFlow& operator=(const CorrectionFlow&) = delete;

    // `press` numbers the key (KeyEvent::pressNumber): the text is left as typed once the
    // user has pressed another key after it.
    void handleStroke(const std::string& characters, const PhysicalKeyStroke& stroke,
                      KeyPressNumber press);
    void handleDeleteBackward();
    // A key was held down and repeated unseen: the word being typed is unknown.
    void handleHeldKey();
    bool canPerformManualCorrection();
    void performManualCorrection(KeyPressNumber press);
    bool canDeferReturn();
    void handleDeferredReturn(Key key, Modifiers modifiers, KeyPressNumber number);

    int pendingAutomaticCorrectionCount() const { return static_cast<int>(pending_.size()); }

  private:
    // A Return press held back until the corrections before it are done.
    struct DeferredReturn {
        Key key = Key::enter;
        Modifiers modifiers;
        KeyPressNumber number = 0;
    };

    // A finished word waiting for its correction.
    struct PendingCorrection {
        std::uint64_t id;
        TokenCompletion completion;
        std::string application;
        KeyPressNumber press;
    };

    void scheduleAutomaticCorrection(const TokenCompletion& completion,
                                     const std::string& application, KeyPressNumber press);
    void runPendingCorrection(std::uint64_t id);
    void runAutomaticCorrection(const PendingCorrection& correction, HeldKeyboard* held);
    // Posts the Return ahead of the keys the hold keeps back, or on its own.
    void postReturn(const DeferredReturn& press, HeldKeyboard* held = nullptr);
    // `delimiterHeldBack`: the Return has not reached the field yet, so no delimiter is
    // expected or written.
    void applyCorrection(const WordCorrector::Correction& word, const TokenCompletion& completion,
                         const std::string& application, bool delimiterHeldBack, bool isUndoable,
                         KeyPressNumber askedAt, HeldKeyboard* held = nullptr);

    Collaborators services_;
    WordCorrector corrector_;
    std::deque<PendingCorrection> pending_;
    std::uint64_t nextPendingId_ = 0;
};

}  // namespace plovik
