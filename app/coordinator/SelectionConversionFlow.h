#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "app/coordinator/CoordinatorState.h"
#include "app/coordinator/CorrectionFeedback.h"
#include "app/coordinator/CorrectionGate.h"
#include "app/coordinator/UndoController.h"
#include "core/layouts/InputSourceService.h"
#include "core/layouts/LayoutTextConverter.h"
#include "core/platform/Clock.h"
#include "core/platform/KeyCapture.h"
#include "core/platform/LayoutSource.h"
#include "core/replacement/LastConversion.h"
#include "core/replacement/SelectionConverterService.h"
#include "core/replacement/TextReplacementService.h"
#include "core/tokens/CurrentTokenBuffer.h"
#include "core/tokens/TypedPhrase.h"

namespace plovik {

// The conversion shortcut: the selected text, or without a selection the phrase just
// typed, becomes what its keys type in the other layout of its pair. Pressed again while
// the converted text is still selected (or still before the caret), it converts it back
// exactly. Undoable like a correction; the learning history is not touched.
class SelectionConversionFlow {
  public:
    static constexpr const char* kNeedsTwoLayoutsMessage =
        "Enable at least two standard keyboard layouts to convert text.";

    struct Collaborators {
        CorrectionGate& gate;
        const Clock& clock;
        InputSourceService& inputSources;
        // The key maps behind the input sources, as corrections read them.
        const LayoutSource& keyMaps;
        SelectionConverterService& selections;
        TextReplacementService& replacement;
        CurrentTokenBuffer& tokenBuffer;
        const TypedPhrase& phrase;
        UndoController& undo;
        CorrectionFeedback& feedback;
        CoordinatorState& state;
    };

    explicit SelectionConversionFlow(Collaborators collaborators);

    // Asked while the shortcut is held: where manual correction works.
    bool canConvert();
    // `press` numbers the shortcut's press (KeyEvent::pressNumber), or the latest press.
    void convert(KeyPressNumber press);

    // "Converted “…” to “…”." for the status line.
    static std::string summary(const std::string& original, const std::string& converted);

  private:
    bool convertBack(const std::string& application,
                     const std::optional<SelectionConverterService::FieldText>& selection,
                     KeyPressNumber press);
    void convertSelection(const std::string& application,
                          const SelectionConverterService::FieldText& selection,
                          KeyPressNumber press);
    void convertPhrase(const std::string& application, KeyPressNumber press);
    // The converter for the selected layout and its partner; absent (and said) with fewer
    // than two layouts.
    std::shared_ptr<const LayoutTextConverter> converter();
    void finish(LastConversion conversion, const TextReplacementResult& result);
    // Selects the target layout where the application's settings ask for it; the error
    // when that failed.
    std::optional<InputSourceError> switchLayout(LastConversion& conversion);
    void publish(const LastConversion& conversion);

    Collaborators services_;
    // Built for one pair of key maps; their typing indexes take a moment to build.
    std::shared_ptr<const LayoutTextConverter> converter_;
    std::pair<const KeyLayoutData*, const KeyLayoutData*> converterKeyMaps_{nullptr, nullptr};
};

}  // namespace plovik
