#include "core/replacement/SelectionConverterService.h"

#include "core/replacement/AccessibleText.h"
#include "core/replacement/ApplicationTraits.h"
#include "core/replacement/TextReplacementRequest.h"
#include "core/replacement/TextReplacementService.h"
#include "core/text/CodePoints.h"
#include "core/text/Graphemes.h"

namespace plovik {

namespace {

std::int64_t codePointLength(std::string_view text) {
    return static_cast<std::int64_t>(text::CodePoints::length(text));
}

}  // namespace

SelectionConverterService::SelectionConverterService(FocusedElementService& focusedElementService,
                                                     SyntheticKeyboardService& syntheticKeyboard,
                                                     ReentrancyGuard& reentrancyGuard,
                                                     const KeyCaptureFactory& keyPresses)
    : focusedElementService_(focusedElementService),
      syntheticKeyboard_(syntheticKeyboard),
      reentrancyGuard_(reentrancyGuard),
      keyPresses_(keyPresses) {}

std::optional<SelectionConverterService::FieldText> SelectionConverterService::selection() {
    const auto context = focusedElementService_.focusedElement();
    if (!context || !context->canProcessText() || !context->element) {
        return std::nullopt;
    }
    const AccessibilityElement& element = *context->element;
    const auto range = element.selectedTextRange().valueIfPresent();
    if (!range || range->location < 0 || range->length <= 0) {
        return std::nullopt;
    }
    auto text = AccessibleText::read(element, *range);
    // Text of another length than the range is not what the range holds.
    if (!text || codePointLength(*text) != range->length) {
        return std::nullopt;
    }
    return FieldText{*range, std::move(*text)};
}

TextReplacementResult SelectionConverterService::replace(const FieldText& read,
                                                         const std::string& replacement,
                                                         bool whileSelected,
                                                         KeyPressNumber askedAt) {
    if (reentrancyGuard_.isProcessing()) {
        return TextReplacementResult::failure(TextReplacementService::kAlreadyInProgressMessage);
    }
    if (read.range.length > kMaximumLength || codePointLength(replacement) > kMaximumLength) {
        return TextReplacementResult::failure(kTooLongMessage);
    }
    const auto context = focusedElementService_.focusedElement();
    if (!context || !context->canProcessText() || !context->element) {
        return TextReplacementResult::failure(TextReplacementService::kUnavailableElementMessage);
    }
    return reentrancyGuard_.perform(
        [&] { return replaceInGuard(*context, read, replacement, whileSelected, askedAt); });
}

TextReplacementResult SelectionConverterService::replaceInGuard(
    const FocusedElementContext& context, const FieldText& read, const std::string& replacement,
    bool whileSelected, KeyPressNumber askedAt) {
    AccessibilityElement& element = *context.element;
    // Asked after the reads: a key the user pressed meanwhile may still change the field.
    if (read.text.empty() || !holds(element, read, whileSelected) ||
        keyPresses_.hasPressGoneOnSince(askedAt)) {
        return TextReplacementResult::failure(kChangedMessage);
    }
    const bool listed =
        ApplicationTraits::prefersKeyboardReplacement(context.applicationBundleIdentifier);
    const Outcome outcome = listed ? Outcome::keyboardFallback : write(element, read, replacement);
    if (outcome == Outcome::replaced) {
        return TextReplacementResult::success(TextReplacementMethod::accessibility);
    }
    // Keys replace whatever is selected: only the very range read may be.
    if (outcome == Outcome::keyboardFallback && holds(element, read, true) &&
        !keyPresses_.hasPressGoneOnSince(askedAt) && typeOver(replacement)) {
        return TextReplacementResult::success(TextReplacementMethod::syntheticKeyboard);
    }
    return TextReplacementResult::failure(kChangedMessage);
}

bool SelectionConverterService::holds(const AccessibilityElement& element, const FieldText& read,
                                      bool whileSelected) {
    if (whileSelected && element.selectedTextRange().valueIfPresent() != read.range) {
        return false;
    }
    return AccessibleText::read(element, read.range) == read.text;
}

SelectionConverterService::Outcome SelectionConverterService::write(
    AccessibilityElement& element, const FieldText& read, const std::string& replacement) {
    if (element.setSelectedTextRange(read.range) != AccessibilityStatus::success) {
        return Outcome::keyboardFallback;
    }
    if (const auto selected = element.selectedText().valueIfPresent();
        selected && *selected != read.text) {
        return Outcome::cancelled;
    }
    if (element.setSelectedText(replacement) != AccessibilityStatus::success) {
        // Some fields take the write and change nothing: keys are safe only over the
        // untouched text.
        return AccessibleText::read(element, read.range) == read.text ? Outcome::keyboardFallback
                                                                      : Outcome::cancelled;
    }
    // Selected, so that the user sees what changed; where it lands is the field's business.
    (void)element.selectTextRange({read.range.location, codePointLength(replacement)});
    return Outcome::replaced;
}

bool SelectionConverterService::typeOver(const std::string& replacement) {
    if (!syntheticKeyboard_.replace(TextReplacementRequest("", replacement, ""))) {
        return false;
    }
    const std::size_t count = text::Graphemes::count(replacement);
    for (std::size_t index = 0; index < count; ++index) {
        if (!syntheticKeyboard_.postKeyStroke(Key::left, Modifier::shift)) {
            break;
        }
    }
    return true;
}

}  // namespace plovik
