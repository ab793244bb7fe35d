#include "core/replacement/TextReplacementService.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "core/replacement/AccessibleText.h"
#include "core/replacement/ApplicationTraits.h"
#include "core/text/CharacterClass.h"
#include "core/text/CodePoints.h"
#include "core/text/Graphemes.h"

namespace plovik {

namespace {

std::int64_t codePointLength(std::string_view text) {
    return static_cast<std::int64_t>(text::CodePoints::length(text));
}

bool isWhitespaceOrPunctuation(std::string_view character) {
    return text::CharacterClass::isWhitespace(character) ||
           text::CharacterClass::isPunctuation(character);
}

std::optional<std::int64_t> fieldLength(const AccessibilityElement& element) {
    if (auto count = element.numberOfCharacters().valueIfPresent()) {
        return count;
    }
    if (auto value = element.value().valueIfPresent()) {
        return codePointLength(*value);
    }
    return std::nullopt;
}

}  // namespace

TextReplacementService::TextReplacementService(FocusedElementService& focusedElementService,
                                               SyntheticKeyboardService& syntheticKeyboard,
                                               ReentrancyGuard& reentrancyGuard,
                                               const KeyEventTapFactory& keyPresses)
    : focusedElementService_(focusedElementService),
      syntheticKeyboard_(syntheticKeyboard),
      reentrancyGuard_(reentrancyGuard),
      keyPresses_(keyPresses),
      keystrokeCheck_(syntheticKeyboard, keyPresses) {}

TextReplacementResult TextReplacementService::replace(const TextReplacementRequest& request) {
    return replace(request, keyPresses_.latestPress());
}

TextReplacementResult TextReplacementService::replace(const TextReplacementRequest& request,
                                                      KeyPressNumber askedAt) {
    if (reentrancyGuard_.isProcessing()) {
        return TextReplacementResult::failure(kAlreadyInProgressMessage);
    }
    const auto context = focusedElementService_.focusedElement();
    if (!context || !context->canProcessText() || !context->element) {
        return TextReplacementResult::failure(kUnavailableElementMessage);
    }
    return reentrancyGuard_.perform([&] { return replaceInGuard(*context, request, askedAt); });
}

TextReplacementResult TextReplacementService::replaceInGuard(const FocusedElementContext& context,
                                                             const TextReplacementRequest& request,
                                                             KeyPressNumber askedAt) {
    switch (accessibilityReplacement(context, request, askedAt)) {
        case Outcome::replaced:
            return TextReplacementResult::success(TextReplacementMethod::accessibility);
        case Outcome::keyboardFallback:
            // Nothing is posted when the events cannot all be created, and that is
            // what the cancellation message says. A later key is looked for last, right
            // before posting.
            if (!keyPresses_.hasPressGoneOnSince(askedAt)) {
                if (const auto verdict = keystrokeCheck_.replace(*context.element, request)) {
                    return resultOf(*verdict);
                }
            }
            break;
        case Outcome::cancelled:
            break;
    }
    return TextReplacementResult::failure(kCancelledMessage);
}

TextReplacementResult TextReplacementService::resultOf(KeystrokeReplacementCheck::Verdict verdict) {
    switch (verdict) {
        case KeystrokeReplacementCheck::Verdict::arrived:
            return TextReplacementResult::success(TextReplacementMethod::syntheticKeyboard);
        case KeystrokeReplacementCheck::Verdict::restored:
            return TextReplacementResult::failure(KeystrokeReplacementCheck::kRestoredMessage);
        case KeystrokeReplacementCheck::Verdict::lost:
            break;
    }
    return TextReplacementResult::failure(KeystrokeReplacementCheck::kLostMessage);
}

TextReplacementService::Outcome TextReplacementService::accessibilityReplacement(
    const FocusedElementContext& context, const TextReplacementRequest& request,
    KeyPressNumber askedAt) const {
    // A request without a token would insert unverified text at the caret.
    if (!context.canProcessText() || request.expectedText.empty()) {
        return Outcome::cancelled;
    }
    AccessibilityElement& element = *context.element;
    const bool listed =
        ApplicationTraits::prefersKeyboardReplacement(context.applicationBundleIdentifier);
    const auto selection = element.selectedTextRange().valueIfPresent();
    if (!selection) {
        // Backspaces at an unknown caret erase blindly: they are only sent when the end
        // of the field, where the user was typing, verifiably holds the token.
        const auto end = fieldLength(element);
        return !listed && end && verifiedRange(element, *end, request) ? Outcome::keyboardFallback
                                                                       : Outcome::cancelled;
    }
    if (selection->length != 0 || selection->location < 0) {
        return Outcome::cancelled;
    }
    const TextRange caret{selection->location, 0};
    const auto expectedRange = verifiedRange(element, caret.location, request);
    if (!expectedRange) {
        return Outcome::cancelled;
    }
    if (listed) {
        return Outcome::keyboardFallback;
    }
    // Asked after the reads, right before the word is selected to be replaced.
    if (keyPresses_.hasPressGoneOnSince(askedAt)) {
        return Outcome::cancelled;
    }
    return writeReplacement(element, caret, *expectedRange,
                            request.expectedText + request.expectedTrailingDelimiter, request);
}

std::optional<TextRange> TextReplacementService::verifiedRange(
    const AccessibilityElement& element, std::int64_t caret,
    const TextReplacementRequest& request) {
    const std::string expected = request.expectedText + request.expectedTrailingDelimiter;
    const TextRange range{caret - codePointLength(expected), codePointLength(expected)};
    if (range.location < 0 ||
        !AccessibleText::showsTyped(AccessibleText::read(element, range), expected) ||
        !startsAtWordBoundary(element, range.location) ||
        !endsAtWordBoundary(element, caret, request)) {
        return std::nullopt;
    }
    return range;
}

bool TextReplacementService::startsAtWordBoundary(const AccessibilityElement& element,
                                                  std::int64_t start) {
    if (start == 0) {
        return true;
    }
    const std::int64_t from = std::max<std::int64_t>(start - kWordStartWindow, 0);
    const auto before = AccessibleText::read(element, {from, std::min(start, kWordStartWindow)});
    return before && text::CharacterClass::isWhitespace(text::Graphemes::lastCharacter(*before));
}

bool TextReplacementService::endsAtWordBoundary(const AccessibilityElement& element,
                                                std::int64_t caret,
                                                const TextReplacementRequest& request) {
    if (!request.expectedTrailingDelimiter.empty()) {
        const auto characters = text::Graphemes::split(request.expectedTrailingDelimiter);
        return std::all_of(characters.begin(), characters.end(), isWhitespaceOrPunctuation);
    }
    const auto length = fieldLength(element);
    if (!length) {
        return false;
    }
    if (*length <= caret) {
        return true;
    }
    const auto next = AccessibleText::read(element, {caret, 1});
    return next && isWhitespaceOrPunctuation(*next);
}

TextReplacementService::Outcome TextReplacementService::writeReplacement(
    AccessibilityElement& element, TextRange caret, TextRange expectedRange,
    const std::string& expected, const TextReplacementRequest& request) const {
    const std::string replacement = request.replacementText + request.replacementTrailingDelimiter;
    if (element.setSelectedTextRange(expectedRange) != AccessibilityStatus::success) {
        const auto now = element.selectedTextRange().valueIfPresent();
        return now == caret ? fallbackIfUnchanged(element, expectedRange, expected)
                            : Outcome::cancelled;
    }
    if (!AccessibleText::showsTyped(element.selectedText().valueIfPresent(), expected) ||
        element.setSelectedText(replacement) != AccessibilityStatus::success) {
        return restoreCaret(element, caret) == Outcome::keyboardFallback
                   ? fallbackIfUnchanged(element, expectedRange, expected)
                   : Outcome::cancelled;
    }
    // Where the caret lands is the application's business; the text is in place.
    (void)element.setSelectedTextRange({expectedRange.location + codePointLength(replacement), 0});
    return Outcome::replaced;
}

TextReplacementService::Outcome TextReplacementService::restoreCaret(AccessibilityElement& element,
                                                                     TextRange caret) {
    const bool written = element.setSelectedTextRange(caret) == AccessibilityStatus::success;
    const auto now = element.selectedTextRange().valueIfPresent();
    return written && now == caret ? Outcome::keyboardFallback : Outcome::cancelled;
}

TextReplacementService::Outcome TextReplacementService::fallbackIfUnchanged(
    const AccessibilityElement& element, TextRange expectedRange, const std::string& expected) {
    // A failed write may still have touched the text; backspaces are only safe over
    // exactly the text verified before.
    return AccessibleText::showsTyped(AccessibleText::read(element, expectedRange), expected)
               ? Outcome::keyboardFallback
               : Outcome::cancelled;
}

}  // namespace plovik
