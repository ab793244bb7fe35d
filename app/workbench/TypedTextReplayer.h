#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/correction/WordCorrector.h"
#include "core/decision/CorrectionVerdict.h"
#include "core/decision/DecisionEngine.h"
#include "core/decision/SafetyAssessment.h"
#include "core/history/CorrectionHistoryStoring.h"
#include "core/layouts/InputSourceService.h"
#include "core/layouts/KeyboardLayout.h"
#include "core/layouts/TypingSimulator.h"
#include "core/platform/Clock.h"
#include "core/support/Published.h"
#include "core/tokens/CurrentTokenBuffer.h"
#include "core/tokens/TokenCompletion.h"

namespace plovik {

// Types text key by key into a simulated field and corrects each finished word through the
// application's own word corrector: the token buffer follows the keys, the input source
// service re-reads the word's strokes in the other layouts, and the engine picks the word.
class TypedTextReplayer {
  public:
    struct Settings {
        KeyboardLayout typedIn;
        double threshold = 0.9;
        // Select the target layout after a correction; later keys are read in it.
        bool switchAfterCorrection = false;
        std::string applicationBundleIdentifier;
    };

    // What was decided for one finished word.
    struct Judgement {
        TokenCompletion completion;
        SafetyAssessment safety;
        std::optional<CorrectionVerdict> decision;
        // What the delimiter becomes when the decision is applied.
        std::optional<std::string> correctedDelimiter;
        // The field still showed the word whole, so the decision was carried out.
        bool applied = false;
    };
    using Observer = std::function<void(const Judgement&)>;

    // A layout the text may be typed in, with the strokes that type its characters.
    struct LayoutTypist {
        KeyboardLayout layout;
        const TypingSimulator* typist;
    };

    // Where each correction is recorded, accepted or refused by the field, as the application
    // records it: the engine scores with what was learnt.
    struct Learning {
        CorrectionHistoryStoring& history;
        const Clock& clock;
    };

    TypedTextReplayer(const TypingSimulator& typist, InputSourceService& inputSources,
                      const DecisionEngine& engine, Learning learning, Settings settings);
    // It watches the selected layout from where it was made.
    TypedTextReplayer(const TypedTextReplayer&) = delete;
    TypedTextReplayer& operator=(const TypedTextReplayer&) = delete;

    void setObserver(Observer observer) { observer_ = std::move(observer); }
    // Types each character under whichever of these layouts types it, switching only when
    // the selected one cannot, as a user writing in several languages does.
    void typeUnderAnyLayout(std::vector<LayoutTypist> typists) { typists_ = std::move(typists); }

    // Types the text after what was typed before.
    void type(std::string_view text);
    // The end of the input ends the word being typed, without a delimiter.
    void finishInput();
    // The field's text since the last call. Call it after a line break: a correction can
    // still rewrite the word and delimiter before the caret, never text before a line break.
    std::string takeText();

  private:
    void typeCharacter(const std::string& character);
    // The strokes for the character under the selected layout, else under the first other
    // layout that types it, which then becomes the selected one.
    std::optional<std::vector<PhysicalKeyStroke>> strokesSwitchingIfNeeded(
        const std::string& character);
    void pressKeys(const std::string& character, const std::vector<PhysicalKeyStroke>& strokes);
    void pressReturn(const std::string& lineBreak);
    void insertWithoutKeys(const std::string& character);
    void finish(const std::vector<TokenCompletion>& completions);
    // `heldBackDelimiter`: the delimiter has not reached the field yet (a held-back Return).
    void judge(const TokenCompletion& completion, bool heldBackDelimiter);
    // False when the field no longer shows the word whole, as a real field refuses it.
    bool apply(const WordCorrector::Correction& word, const TokenCompletion& completion,
               bool heldBackDelimiter);
    TextReplacementResult replaceInField(const TextReplacementRequest& request);
    bool fieldEndsWithWholeToken() const;
    bool startsAtWordBoundary(std::size_t start) const;

    const TypingSimulator& typist_;
    InputSourceService& inputSources_;
    const DecisionEngine& engine_;
    const Settings settings_;
    CurrentTokenBuffer buffer_;
    WordCorrector corrector_;
    std::string field_;
    Observer observer_;
    std::vector<LayoutTypist> typists_;
    // As in the application, a change of layout leaves the buffer nothing to vouch for.
    std::optional<std::string> selectedSourceId_;
    Subscription sourceChanges_;
};

}  // namespace plovik
