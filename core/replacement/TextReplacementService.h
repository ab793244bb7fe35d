#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "core/platform/KeyCapture.h"
#include "core/platform/KeyboardHold.h"
#include "core/replacement/FocusedElementService.h"
#include "core/replacement/KeystrokeReplacementCheck.h"
#include "core/replacement/ReentrancyGuard.h"
#include "core/replacement/SyntheticKeyboardService.h"
#include "core/replacement/TextReplacementRequest.h"
#include "core/replacement/TextReplacementResult.h"

namespace plovik {

// Replaces the token and delimiter of the focused field: through accessibility after
// verifying the field's text, by keystrokes only where that is known to be safe, and not
// at all when neither can be trusted. The user's keyboard is held for the edit, so that
// no key of theirs can fall between its steps; what they typed after the word before the
// hold (plain text only) stays after it, and the keys pressed during the hold follow the
// edit. Anything else typed after the word leaves it as typed.
class TextReplacementService final {
  public:
    static constexpr const char* kAlreadyInProgressMessage =
        "A Plovik replacement is already in progress.";
    static constexpr const char* kUnavailableElementMessage =
        "The focused element is unavailable, not editable, or secure.";
    static constexpr const char* kCancelledMessage =
        "Correction was cancelled because Plovik could not safely preserve the current "
        "selection. No keyboard fallback was sent.";
    // How far back, in code points, the word-start check looks for the whitespace before
    // the word: a word glued to the text before it is only part of a word.
    static constexpr std::int64_t kWordStartWindow = 8;
    // The longest the user's keys wait for an edit; past it they go on and the edit stops.
    static constexpr std::chrono::milliseconds kHoldLimit{30};
    // How long the field may take to show the keys typed before the hold, and how often
    // it is looked at meanwhile.
    static constexpr std::chrono::milliseconds kCatchUpLimit{15};
    static constexpr std::chrono::milliseconds kCatchUpStep{1};

    TextReplacementService(FocusedElementService& focusedElementService,
                           SyntheticKeyboardService& syntheticKeyboard,
                           ReentrancyGuard& reentrancyGuard, const KeyCaptureFactory& keyPresses,
                           KeyboardHolder& keyboard);

    // Asked for by the user's press `askedAt` (KeyEvent::pressNumber). Never throws.
    TextReplacementResult replace(const TextReplacementRequest& request, KeyPressNumber askedAt);
    // Asked for now, not by a key.
    TextReplacementResult replace(const TextReplacementRequest& request);
    // The same within a hold of the keyboard the caller already has.
    TextReplacementResult replace(const TextReplacementRequest& request, KeyPressNumber askedAt,
                                  HeldKeyboard& held);

  private:
    enum class Outcome { replaced, keyboardFallback, cancelled };
    // A keystroke replacement whose keys went out, to be read back.
    struct Posted {
        KeystrokeReplacementCheck::Surroundings around;
        KeyPressNumber postedAt;
    };
    // The request, and what the user typed after it before the hold, which stays.
    struct Edit {
        const TextReplacementRequest& request;
        std::string typedAfter;

        std::string expected() const;
        std::string replacement() const;
    };

    // The field as read before the keyboard was held, through the user's press `through`.
    struct CheckedBefore {
        KeyPressNumber through;
        std::int64_t caret;
        TextRange range;
    };

    TextReplacementResult replaceChecked(const TextReplacementRequest& request,
                                         KeyPressNumber askedAt, HeldKeyboard* held);
    TextReplacementResult replaceInGuard(const FocusedElementContext& context,
                                         const TextReplacementRequest& request,
                                         KeyPressNumber askedAt, HeldKeyboard* held);
    TextReplacementResult replaceHeld(const FocusedElementContext& context,
                                      const TextReplacementRequest& request, KeyPressNumber askedAt,
                                      HeldKeyboard& held, std::optional<Posted>* posted,
                                      const std::optional<CheckedBefore>& checked = std::nullopt);
    // The plain text typed after the word through press `upTo`, which an edit keeps;
    // absent when something else was pressed, or text without the word's delimiter.
    std::optional<std::string> typedAfterWord(const TextReplacementRequest& request,
                                              KeyPressNumber askedAt, KeyPressNumber upTo) const;
    // Reads and checks the field for an accessibility edit before the hold, so that the
    // keyboard is frozen only for the edit when no key comes in between.
    std::optional<CheckedBefore> checkBeforeHold(const FocusedElementContext& context,
                                                 const TextReplacementRequest& request,
                                                 KeyPressNumber askedAt) const;
    TextReplacementResult confirmed(AccessibilityElement& element,
                                    const TextReplacementRequest& request, const Posted& posted);
    // `checked` stands for the reading under the hold when no press came since it.
    Outcome accessibilityReplacement(const FocusedElementContext& context, const Edit& edit,
                                     HeldKeyboard& held,
                                     const std::optional<CheckedBefore>& checked) const;
    bool keystrokeReplacement(const AccessibilityElement& element, const Edit& edit,
                              HeldKeyboard& held, std::optional<Posted>* posted) const;
    // Erases `erased` and what was typed after it, types `typed` and that again.
    std::optional<SyntheticKeyboardService::Events> steppingOver(
        const std::string& erased, const std::string& typed, const std::string& typedAfter) const;
    // Posts a replacement of `request` under a hold of its own, stepping over `typedAfter`.
    bool postUnderHold(const TextReplacementRequest& request, const std::string& typedAfter);
    // The caret once the field shows the word, its delimiter and what was typed after;
    // absent when it does not within the time the hold allows.
    struct Caret {
        std::int64_t offset = 0;
        // False when the field did not tell it and it stands at the end of the field.
        bool known = true;
        // The token and its delimiter, verified, right before what was typed after them.
        TextRange word;
    };
    static std::optional<Caret> caretAfterCatchingUp(const AccessibilityElement& element,
                                                     const Edit& edit, HeldKeyboard& held);
    Outcome writeReplacement(AccessibilityElement& element, std::int64_t caret, TextRange range,
                             const Edit& edit, const HeldKeyboard& held) const;
    // The range of the token and delimiter when they stand as a whole word right before
    // what was typed after them, which ends at `caret`.
    static std::optional<TextRange> verifiedRange(const AccessibilityElement& element,
                                                  std::int64_t caret, const Edit& edit);
    // `before` holds the text right before `start`.
    static bool startsAtWordBoundary(const std::optional<std::string>& before, std::int64_t start);
    static bool endsAtWordBoundary(const AccessibilityElement& element, std::int64_t caret,
                                   const Edit& edit);
    static Outcome restoreCaret(AccessibilityElement& element, TextRange caret);
    static Outcome fallbackIfUnchanged(const AccessibilityElement& element, TextRange range,
                                       const std::string& expected);

    FocusedElementService& focusedElementService_;
    SyntheticKeyboardService& syntheticKeyboard_;
    ReentrancyGuard& reentrancyGuard_;
    const KeyCaptureFactory& keyPresses_;
    KeyboardHolder& keyboard_;
    KeystrokeReplacementCheck keystrokeCheck_;
};

}  // namespace plovik
