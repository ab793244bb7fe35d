#include "core/replacement/TextReplacementService.h"

#include <algorithm>
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

// Whether the field, ending at `caret`, shows the start of `expected` that holds at least
// `least` code points: the application has not handled the rest of the keys yet.
bool showsStartOf(const AccessibilityElement& element, std::int64_t caret,
                  const std::string& expected, std::int64_t least) {
    const std::int64_t length = std::min(codePointLength(expected), caret);
    const auto read = AccessibleText::read(element, {caret - length, length});
    if (!read) {
        return false;
    }
    const auto before = AccessibleText::withTypedSpaces(*read);
    for (std::int64_t shown = length; shown >= std::max<std::int64_t>(least, 1); --shown) {
        const auto start =
            text::CodePoints::substring(expected, 0, static_cast<std::size_t>(shown));
        if (start && std::string_view(before).ends_with(AccessibleText::withTypedSpaces(*start))) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string TextReplacementService::Edit::expected() const {
    return request.expectedText + request.expectedTrailingDelimiter;
}

std::string TextReplacementService::Edit::replacement() const {
    return request.replacementText + request.replacementTrailingDelimiter;
}

TextReplacementService::TextReplacementService(FocusedElementService& focusedElementService,
                                               SyntheticKeyboardService& syntheticKeyboard,
                                               ReentrancyGuard& reentrancyGuard,
                                               const KeyCaptureFactory& keyPresses,
                                               KeyboardHolder& keyboard)
    : focusedElementService_(focusedElementService),
      syntheticKeyboard_(syntheticKeyboard),
      reentrancyGuard_(reentrancyGuard),
      keyPresses_(keyPresses),
      keyboard_(keyboard),
      keystrokeCheck_(syntheticKeyboard, keyPresses) {}

TextReplacementResult TextReplacementService::replace(const TextReplacementRequest& request) {
    return replace(request, keyPresses_.latestPress());
}

TextReplacementResult TextReplacementService::replace(const TextReplacementRequest& request,
                                                      KeyPressNumber askedAt) {
    return replaceChecked(request, askedAt, nullptr);
}

TextReplacementResult TextReplacementService::replace(const TextReplacementRequest& request,
                                                      KeyPressNumber askedAt, HeldKeyboard& held) {
    return replaceChecked(request, askedAt, &held);
}

TextReplacementResult TextReplacementService::replaceChecked(const TextReplacementRequest& request,
                                                             KeyPressNumber askedAt,
                                                             HeldKeyboard* held) {
    if (reentrancyGuard_.isProcessing()) {
        return TextReplacementResult::failure(kAlreadyInProgressMessage);
    }
    const auto context = focusedElementService_.focusedElement();
    if (!context || !context->canProcessText() || !context->element) {
        return TextReplacementResult::failure(kUnavailableElementMessage);
    }
    return reentrancyGuard_.perform(
        [&] { return replaceInGuard(*context, request, askedAt, held); });
}

TextReplacementResult TextReplacementService::replaceInGuard(const FocusedElementContext& context,
                                                             const TextReplacementRequest& request,
                                                             KeyPressNumber askedAt,
                                                             HeldKeyboard* held) {
    // A request without a token would insert unverified text at the caret.
    if (request.expectedText.empty()) {
        return TextReplacementResult::failure(kCancelledMessage);
    }
    if (held) {
        return replaceHeld(context, request, askedAt, *held, nullptr);
    }
    const auto before = checkBeforeHold(context, request, askedAt);
    auto own = keyboard_.hold(kHoldLimit);
    if (!own) {
        return TextReplacementResult::failure(kCancelledMessage);
    }
    std::optional<Posted> posted;
    const auto result = replaceHeld(context, request, askedAt, *own, &posted, before);
    // The keys go out; only the field tells whether they arrived.
    own.reset();
    if (!result.succeeded || !posted) {
        return result;
    }
    auto checked = confirmed(*context.element, request, *posted);
    checked.keysSteppedOver = checked.succeeded && result.keysSteppedOver;
    return checked;
}

TextReplacementResult TextReplacementService::confirmed(AccessibilityElement& element,
                                                        const TextReplacementRequest& request,
                                                        const Posted& posted) {
    const auto verdict = keystrokeCheck_.confirm(
        element, posted.around, request, posted.postedAt,
        [this](const TextReplacementRequest& back, const std::string& typedAfter) {
            return postUnderHold(back, typedAfter);
        });
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

bool TextReplacementService::postUnderHold(const TextReplacementRequest& request,
                                           const std::string& typedAfter) {
    const auto held = keyboard_.hold(kHoldLimit);
    const auto events =
        steppingOver(request.expectedText + request.expectedTrailingDelimiter,
                     request.replacementText + request.replacementTrailingDelimiter, typedAfter);
    return held && events && held->postAhead(*events);
}

std::optional<SyntheticKeyboardService::Events> TextReplacementService::steppingOver(
    const std::string& erased, const std::string& typed, const std::string& typedAfter) const {
    // An application that takes only keys edits at the caret, after what the user typed
    // on: that is erased with the word and typed again behind the replacement.
    return syntheticKeyboard_.replacement(erased + typedAfter, typed + typedAfter);
}

TextReplacementResult TextReplacementService::replaceHeld(
    const FocusedElementContext& context, const TextReplacementRequest& request,
    KeyPressNumber askedAt, HeldKeyboard& held, std::optional<Posted>* posted,
    const std::optional<CheckedBefore>& checked) {
    const auto typedAfter = typedAfterWord(request, askedAt, held.lastPressBeforeHold());
    if (!held.isHeld() || !typedAfter) {
        return TextReplacementResult::failure(kCancelledMessage);
    }
    const Edit edit{request, *typedAfter};
    const auto made = [&](TextReplacementMethod method) {
        auto result = TextReplacementResult::success(method);
        result.keysSteppedOver = !typedAfter->empty();
        return result;
    };
    // A key pressed since the field was read may have changed it.
    const bool stillChecked = checked && checked->through == held.lastPressBeforeHold();
    switch (accessibilityReplacement(context, edit, held, stillChecked ? checked : std::nullopt)) {
        case Outcome::replaced:
            return made(TextReplacementMethod::accessibility);
        case Outcome::keyboardFallback:
            // Nothing reaches the field when the events cannot all be created or placed
            // ahead of the user's keys, and that is what the cancellation message says.
            if (keystrokeReplacement(*context.element, edit, held, posted)) {
                return made(TextReplacementMethod::syntheticKeyboard);
            }
            break;
        case Outcome::cancelled:
            break;
    }
    return TextReplacementResult::failure(kCancelledMessage);
}

std::optional<std::string> TextReplacementService::typedAfterWord(
    const TextReplacementRequest& request, KeyPressNumber askedAt, KeyPressNumber upTo) const {
    // What reached the application after the word stays after it, when it is plain
    // text; a word without its delimiter went on with it.
    auto typedAfter = keyPresses_.textTypedBetween(askedAt, upTo);
    if (typedAfter && !typedAfter->empty() && request.expectedTrailingDelimiter.empty()) {
        return std::nullopt;
    }
    return typedAfter;
}

std::optional<TextReplacementService::CheckedBefore> TextReplacementService::checkBeforeHold(
    const FocusedElementContext& context, const TextReplacementRequest& request,
    KeyPressNumber askedAt) const {
    if (!context.canProcessText() ||
        ApplicationTraits::prefersKeyboardReplacement(context.applicationBundleIdentifier)) {
        return std::nullopt;
    }
    const KeyPressNumber through = keyPresses_.latestPress();
    const auto typedAfter = typedAfterWord(request, askedAt, through);
    if (!typedAfter) {
        return std::nullopt;
    }
    const Edit edit{request, *typedAfter};
    const auto selection = context.element->selectedTextRange().valueIfPresent();
    if (!selection || selection->length != 0 || selection->location < 0) {
        return std::nullopt;
    }
    const auto range = verifiedRange(*context.element, selection->location, edit);
    if (!range) {
        return std::nullopt;
    }
    return CheckedBefore{through, selection->location, *range};
}

TextReplacementService::Outcome TextReplacementService::accessibilityReplacement(
    const FocusedElementContext& context, const Edit& edit, HeldKeyboard& held,
    const std::optional<CheckedBefore>& checked) const {
    if (!context.canProcessText()) {
        return Outcome::cancelled;
    }
    AccessibilityElement& element = *context.element;
    if (checked) {
        return writeReplacement(element, checked->caret, checked->range, edit, held);
    }
    const bool listed =
        ApplicationTraits::prefersKeyboardReplacement(context.applicationBundleIdentifier);
    const auto caret = caretAfterCatchingUp(element, edit, held);
    if (!caret) {
        return Outcome::cancelled;
    }
    if (!caret->known) {
        // Backspaces at an unknown caret erase blindly: they are only sent when the end
        // of the field, where the user was typing, verifiably holds the token.
        return listed ? Outcome::cancelled : Outcome::keyboardFallback;
    }
    if (listed) {
        return Outcome::keyboardFallback;
    }
    return writeReplacement(element, caret->offset, caret->word, edit, held);
}

std::optional<TextReplacementService::Caret> TextReplacementService::caretAfterCatchingUp(
    const AccessibilityElement& element, const Edit& edit, HeldKeyboard& held) {
    const std::string shown = edit.expected() + edit.typedAfter;
    const std::int64_t word = codePointLength(edit.request.expectedText);
    for (auto waited = std::chrono::milliseconds(0);; waited += kCatchUpStep) {
        std::optional<std::int64_t> offset;
        const auto selection = element.selectedTextRange().valueIfPresent();
        if (selection) {
            // A selection of the user's own is not Plovik's to replace.
            if (selection->length != 0 || selection->location < 0) {
                return std::nullopt;
            }
            offset = selection->location;
        } else {
            offset = fieldLength(element);
        }
        if (!offset) {
            return std::nullopt;
        }
        if (const auto verified = verifiedRange(element, *offset, edit)) {
            return Caret{*offset, selection.has_value(), *verified};
        }
        // Only a field that shows the word but not yet all the keys after it is worth
        // waiting for.
        if (waited >= kCatchUpLimit || !held.isHeld() ||
            !showsStartOf(element, *offset, shown, word)) {
            return std::nullopt;
        }
        held.waitForApplication(kCatchUpStep);
    }
}

bool TextReplacementService::keystrokeReplacement(const AccessibilityElement& element,
                                                  const Edit& edit, HeldKeyboard& held,
                                                  std::optional<Posted>* posted) const {
    const auto events = steppingOver(edit.expected(), edit.replacement(), edit.typedAfter);
    const auto around =
        KeystrokeReplacementCheck::surroundings(element, edit.request, edit.typedAfter);
    if (!events || !held.isHeld() || !held.postAhead(*events)) {
        return false;
    }
    if (posted && around) {
        *posted = Posted{*around, held.lastPressBeforeHold()};
    }
    return true;
}

std::optional<TextRange> TextReplacementService::verifiedRange(const AccessibilityElement& element,
                                                               std::int64_t caret,
                                                               const Edit& edit) {
    const std::string expected = edit.expected();
    const std::int64_t after = codePointLength(edit.typedAfter);
    const TextRange range{caret - after - codePointLength(expected), codePointLength(expected)};
    if (range.location < 0) {
        return std::nullopt;
    }
    // One reading from before the word to the caret: where the toolkit counts positions
    // unlike Plovik, every reading costs the whole field while the keyboard is held.
    const std::int64_t from = std::max<std::int64_t>(range.location - kWordStartWindow, 0);
    const auto shown = AccessibleText::read(element, {from, caret - from});
    const auto part = [&](std::int64_t start, std::int64_t length) {
        return shown ? AccessibleText::slice(*shown, {start - from, length}) : std::nullopt;
    };
    if (!AccessibleText::showsTyped(part(range.location, range.length), expected) ||
        (after > 0 && !AccessibleText::showsTyped(part(range.end(), after), edit.typedAfter)) ||
        !startsAtWordBoundary(part(from, range.location - from), range.location) ||
        !endsAtWordBoundary(element, caret, edit)) {
        return std::nullopt;
    }
    return range;
}

bool TextReplacementService::startsAtWordBoundary(const std::optional<std::string>& before,
                                                  std::int64_t start) {
    return start == 0 ||
           (before && text::CharacterClass::isWhitespace(text::Graphemes::lastCharacter(*before)));
}

bool TextReplacementService::endsAtWordBoundary(const AccessibilityElement& element,
                                                std::int64_t caret, const Edit& edit) {
    const auto& delimiter = edit.request.expectedTrailingDelimiter;
    if (!delimiter.empty()) {
        const auto characters = text::Graphemes::split(delimiter);
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
    AccessibilityElement& element, std::int64_t caret, TextRange range, const Edit& edit,
    const HeldKeyboard& held) const {
    const TextRange caretRange{caret, 0};
    const std::string expected = edit.expected();
    const std::string replacement = edit.replacement();
    if (!held.isHeld()) {
        return Outcome::cancelled;
    }
    if (element.setSelectedTextRange(range) != AccessibilityStatus::success) {
        const auto now = element.selectedTextRange().valueIfPresent();
        return now == caretRange ? fallbackIfUnchanged(element, range, expected)
                                 : Outcome::cancelled;
    }
    const auto status = held.isHeld() && AccessibleText::showsTyped(
                                             element.selectedText().valueIfPresent(), expected)
                            ? element.setSelectedText(replacement)
                            : AccessibilityStatus::cannotComplete;
    if (status != AccessibilityStatus::success) {
        const bool caretBack = restoreCaret(element, caretRange) == Outcome::keyboardFallback;
        // Keys would carry the very text the field refused, after erasing the word.
        return caretBack && status != AccessibilityStatus::refused && held.isHeld()
                   ? fallbackIfUnchanged(element, range, expected)
                   : Outcome::cancelled;
    }
    const std::int64_t written = codePointLength(replacement);
    // Where the caret lands is the application's business; the text is in place.
    (void)element.setSelectedTextRange(
        {range.location + written + codePointLength(edit.typedAfter), 0});
    // Only a field that shows the replacement, then what was typed after it, took it.
    return AccessibleText::showsTyped(
               AccessibleText::read(element,
                                    {range.location, written + codePointLength(edit.typedAfter)}),
               replacement + edit.typedAfter)
               ? Outcome::replaced
               : Outcome::cancelled;
}

TextReplacementService::Outcome TextReplacementService::restoreCaret(AccessibilityElement& element,
                                                                     TextRange caret) {
    const bool written = element.setSelectedTextRange(caret) == AccessibilityStatus::success;
    const auto now = element.selectedTextRange().valueIfPresent();
    return written && now == caret ? Outcome::keyboardFallback : Outcome::cancelled;
}

TextReplacementService::Outcome TextReplacementService::fallbackIfUnchanged(
    const AccessibilityElement& element, TextRange range, const std::string& expected) {
    // A failed write may still have touched the text; backspaces are only safe over
    // exactly the text verified before.
    return AccessibleText::showsTyped(AccessibleText::read(element, range), expected)
               ? Outcome::keyboardFallback
               : Outcome::cancelled;
}

}  // namespace plovik
