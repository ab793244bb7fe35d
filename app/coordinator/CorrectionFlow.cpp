#include "app/coordinator/CorrectionFlow.h"

#include <algorithm>
#include <utility>

#include "core/replacement/TextReplacementRequest.h"

namespace plovik {

CorrectionFlow::CorrectionFlow(Collaborators collaborators)
    : services_(collaborators),
      corrector_({collaborators.tokenBuffer, collaborators.inputSources, collaborators.history,
                  collaborators.clock}) {}

CorrectionFlow::~CorrectionFlow() = default;

void CorrectionFlow::handleStroke(const std::string& characters, const PhysicalKeyStroke& stroke,
                                  KeyPressNumber press) {
    services_.inputSources.synchronizeCurrentSource();
    const auto application = services_.gate.frontmostApplication();
    const ApplicationPolicy currentPolicy = services_.gate.policy();
    std::optional<FocusedElementContext> field;
    if (!application || !currentPolicy.application(application) || !services_.gate.isMonitoring() ||
        !(field = services_.gate.usableField())) {
        services_.tokenBuffer.reset();
        return;
    }
    std::string text = characters;
    if (text.empty()) {
        text = services_.inputSources.text(stroke).value_or("");
    }
    corrector_.followWordsOf(services_.engines.selected());
    services_.tokenBuffer.synchronizeBeforeConsuming(
        text, services_.focusedElements.visibleTextSinceWhitespaceBeforeCaret(*field));
    const auto completions = services_.tokenBuffer.consume(text, stroke);
    services_.phrase.type(text, services_.clock.now());
    if (!currentPolicy.allowsAutomaticCorrection(application)) {
        return;
    }
    for (const auto& completion : completions) {
        scheduleAutomaticCorrection(completion, *application, press);
    }
}

void CorrectionFlow::scheduleAutomaticCorrection(const TokenCompletion& completion,
                                                 const std::string& application,
                                                 KeyPressNumber press) {
    const std::uint64_t id = ++nextPendingId_;
    pending_.push_back({id, completion, application, press});
    std::weak_ptr<CorrectionFlow> weak = weak_from_this();
    services_.mainQueue.postAfter(kAutomaticCorrectionDelay, [weak, id] {
        if (auto self = weak.lock()) {
            self->runPendingCorrection(id);
        }
    });
}

void CorrectionFlow::runPendingCorrection(std::uint64_t id) {
    const auto found =
        std::find_if(pending_.begin(), pending_.end(),
                     [id](const PendingCorrection& pending) { return pending.id == id; });
    // A Return ran it already.
    if (found == pending_.end()) {
        return;
    }
    const PendingCorrection correction = *found;
    pending_.erase(found);
    runAutomaticCorrection(correction, nullptr);
}

void CorrectionFlow::runAutomaticCorrection(const PendingCorrection& correction,
                                            HeldKeyboard* held) {
    const TokenCompletion& completion = correction.completion;
    const std::string& application = correction.application;
    const ApplicationPolicy currentPolicy = services_.gate.policy();
    if (services_.gate.frontmostApplication() != application ||
        !currentPolicy.allowsAutomaticCorrection(application) || !services_.gate.usableField()) {
        return;
    }
    services_.inputSources.refresh();
    const double threshold = currentPolicy.threshold(application);
    const auto word = corrector_.automatic(services_.engines.selected(), completion, application,
                                           threshold, false);
    // A word that goes on is judged whole where it really ends, and changed once or not at all.
    if (!word || word->wordGoesOn) {
        return;
    }
    applyCorrection(*word, completion, application, false, true, correction.press, held);
}

void CorrectionFlow::postReturn(const DeferredReturn& press, HeldKeyboard* held) {
    // The press itself goes on, ahead of the keys typed after it.
    if (services_.keyboard.passOnWithheldPress(press.number)) {
        return;
    }
    if (held && held->isHeld()) {
        const auto events = services_.syntheticKeyboard.keyStroke(press.key, press.modifiers);
        if (events && held->postAhead(*events)) {
            return;
        }
    }
    services_.syntheticKeyboard.postKeyStroke(press.key, press.modifiers);
}

bool CorrectionFlow::canDeferReturn() {
    const bool hasWork = !services_.tokenBuffer.currentToken().empty() || !pending_.empty();
    return hasWork &&
           services_.gate.acceptsAutomaticCorrection(services_.gate.frontmostApplication());
}

void CorrectionFlow::handleDeferredReturn(Key key, Modifiers modifiers, KeyPressNumber number) {
    services_.inputSources.synchronizeCurrentSource();
    const DeferredReturn press{key, modifiers, number};
    // The keys typed after the Return wait until it is in place: the words before it are
    // corrected now, then it goes on ahead of them.
    const auto held = services_.keyboard.hold(TextReplacementService::kHoldLimit);
    const auto application = services_.gate.frontmostApplication();
    if (!services_.gate.acceptsAutomaticCorrection(application)) {
        services_.tokenBuffer.reset();
        postReturn(press, held.get());
        return;
    }
    for (const auto& correction : std::exchange(pending_, {})) {
        runAutomaticCorrection(correction, held.get());
    }
    const auto completions = services_.tokenBuffer.consume("\n", std::nullopt);
    services_.phrase.type("\n", services_.clock.now());
    if (!completions.empty()) {
        services_.inputSources.refresh();
        const double threshold = services_.gate.policy().threshold(*application);
        if (const auto word = corrector_.automatic(
                services_.engines.selected(), completions.front(), *application, threshold, true)) {
            // The Return has not reached the field yet: no delimiter is expected or written.
            applyCorrection(*word, completions.front(), *application, true, false, number,
                            held.get());
        }
    }
    postReturn(press, held.get());
}

void CorrectionFlow::handleDeleteBackward() {
    if (services_.gate.policy().application(services_.gate.frontmostApplication())) {
        services_.tokenBuffer.deleteBackward();
        services_.phrase.deleteBackward();
    } else {
        services_.tokenBuffer.reset();
    }
}

void CorrectionFlow::handleHeldKey() {
    services_.tokenBuffer.reset();
}

bool CorrectionFlow::canPerformManualCorrection() {
    return services_.gate.policy().allowsManualCorrection(services_.gate.frontmostApplication()) &&
           services_.gate.usableField();
}

void CorrectionFlow::performManualCorrection(KeyPressNumber press) {
    const auto application = services_.gate.frontmostApplication();
    if (!application || !services_.gate.policy().allowsManualCorrection(application) ||
        !services_.gate.usableField()) {
        return;
    }
    const auto candidate = services_.tokenBuffer.candidateForManualCorrection();
    if (!candidate) {
        return;
    }
    services_.inputSources.refresh();
    if (const auto word =
            corrector_.manual(services_.engines.selected(), *candidate, *application)) {
        applyCorrection(*word, *candidate, *application, false, true, press);
    }
}

void CorrectionFlow::applyCorrection(const WordCorrector::Correction& word,
                                     const TokenCompletion& completion,
                                     const std::string& application, bool delimiterHeldBack,
                                     bool isUndoable, KeyPressNumber askedAt, HeldKeyboard* held) {
    const auto entry = services_.gate.policy().application(application);
    const bool switchLayout = entry && entry->switchInputSourceAfterCorrection;
    TextReplacementRequest request;
    const auto outcome =
        corrector_.apply(word, completion, application, delimiterHeldBack, switchLayout,
                         [&](const TextReplacementRequest& asked) {
                             request = asked;
                             return held ? services_.replacement.replace(asked, askedAt, *held)
                                         : services_.replacement.replace(asked, askedAt);
                         });
    CoordinatorState& state = services_.state;
    if (!outcome.replacement.succeeded) {
        state.statusMessage = outcome.replacement.errorMessage;
        return;
    }
    const CorrectionVerdict& decision = word.verdict;
    services_.phrase.noteCorrection(request.expectedText + request.expectedTrailingDelimiter);
    LastCorrection correction(*outcome.record, decision.original, decision.corrected,
                              word.correctedDelimiter, completion.delimiter, application,
                              decision.sourceLayout, decision.targetLayout, services_.clock.now());
    services_.undo.remember(isUndoable ? std::optional<LastCorrection>(correction)
                                       : std::optional<LastCorrection>());
    state.lastCorrection = std::move(correction);
    state.lastReplacementMethod = outcome.replacement.method;
    services_.feedback.announce(decision);
    // The summary would hide a failed switch; the failure is what the user must see.
    if (outcome.switchError) {
        state.statusMessage = outcome.switchError->description();
    }
}

}  // namespace plovik
