#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/platform/KeyEventTap.h"
#include "core/replacement/FocusedElementService.h"
#include "core/replacement/KeystrokeReplacementCheck.h"
#include "core/replacement/ReentrancyGuard.h"
#include "core/replacement/SyntheticKeyboardService.h"
#include "core/replacement/TextReplacementRequest.h"
#include "core/replacement/TextReplacementResult.h"

namespace plovik {

// Replaces the token and delimiter before the caret of the focused field: through
// accessibility after verifying the field's text, by keystrokes only where that is
// known to be safe, and not at all when neither can be trusted. Nothing is written once
// the user has pressed a key after the one that asked for the replacement: an
// application that shows keys late would handle that key after Plovik's Backspaces, or
// while the word is selected to be replaced, and the text it shows cannot tell.
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

    TextReplacementService(FocusedElementService& focusedElementService,
                           SyntheticKeyboardService& syntheticKeyboard,
                           ReentrancyGuard& reentrancyGuard, const KeyEventTapFactory& keyPresses);

    // Asked for by the user's press `askedAt` (KeyEvent::pressNumber). Never throws.
    TextReplacementResult replace(const TextReplacementRequest& request, KeyPressNumber askedAt);
    // Asked for now, not by a key.
    TextReplacementResult replace(const TextReplacementRequest& request);

  private:
    enum class Outcome { replaced, keyboardFallback, cancelled };

    TextReplacementResult replaceInGuard(const FocusedElementContext& context,
                                         const TextReplacementRequest& request,
                                         KeyPressNumber askedAt);
    Outcome accessibilityReplacement(const FocusedElementContext& context,
                                     const TextReplacementRequest& request,
                                     KeyPressNumber askedAt) const;
    Outcome writeReplacement(AccessibilityElement& element, TextRange caret,
                             TextRange expectedRange, const std::string& expected,
                             const TextReplacementRequest& request) const;
    // The range of the token and delimiter when they stand as a whole word right
    // before `caret`.
    static std::optional<TextRange> verifiedRange(const AccessibilityElement& element,
                                                  std::int64_t caret,
                                                  const TextReplacementRequest& request);
    static bool startsAtWordBoundary(const AccessibilityElement& element, std::int64_t start);
    static bool endsAtWordBoundary(const AccessibilityElement& element, std::int64_t caret,
                                   const TextReplacementRequest& request);
    static Outcome restoreCaret(AccessibilityElement& element, TextRange caret);
    static Outcome fallbackIfUnchanged(const AccessibilityElement& element, TextRange expectedRange,
                                       const std::string& expected);
    static TextReplacementResult resultOf(KeystrokeReplacementCheck::Verdict verdict);

    FocusedElementService& focusedElementService_;
    SyntheticKeyboardService& syntheticKeyboard_;
    ReentrancyGuard& reentrancyGuard_;
    const KeyEventTapFactory& keyPresses_;
    KeystrokeReplacementCheck keystrokeCheck_;
};

}  // namespace plovik
