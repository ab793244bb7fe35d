#include "core/replacement/KeystrokeReplacementCheck.h"

#include "core/replacement/AccessibleText.h"
#include "core/text/CodePoints.h"

namespace plovik {

namespace {

std::size_t codePoints(std::string_view text) {
    return text::CodePoints::length(text);
}

// The whole text, from the value or else through its ranges, with typed spaces as such
// (an editor may show a space as a no-break space at one moment and not the next).
std::optional<std::string> fieldText(const AccessibilityElement& element) {
    auto text = element.value().valueIfPresent();
    if (!text) {
        const auto count = element.numberOfCharacters().valueIfPresent();
        text = count ? AccessibleText::read(element, {0, *count}) : std::nullopt;
    }
    return text ? std::optional(AccessibleText::withTypedSpaces(*text)) : std::nullopt;
}

}  // namespace

KeystrokeReplacementCheck::KeystrokeReplacementCheck(SyntheticKeyboardService& keyboard,
                                                     const KeyCaptureFactory& keyPresses)
    : keyboard_(keyboard), keyPresses_(keyPresses) {}

KeystrokeReplacementCheck::Verdict KeystrokeReplacementCheck::confirm(
    AccessibilityElement& element, const Surroundings& around,
    const TextReplacementRequest& request, KeyPressNumber postedAt, const Post& post) {
    // The word's place, then what the user typed after it.
    const std::string replacement =
        AccessibleText::withTypedSpaces(request.replacementText +
                                        request.replacementTrailingDelimiter) +
        around.typedAfter;
    const auto shown = awaitText(element, around, replacement, postedAt);
    const bool typedOn = keyPresses_.hasPressGoneOnSince(postedAt);
    if (shown && (*shown == replacement || (typedOn && shown->starts_with(replacement)))) {
        return Verdict::arrived;
    }
    // Keys the user typed meanwhile are in the field too, and nothing tells them apart.
    const auto settled = typedOn ? std::nullopt : settledText(element, around);
    if (!settled || !caretAfter(element, around, *settled)) {
        return Verdict::lost;
    }
    return restore(element, around, *settled, request, post);
}

std::optional<KeystrokeReplacementCheck::Surroundings> KeystrokeReplacementCheck::surroundings(
    const AccessibilityElement& element, const TextReplacementRequest& request,
    const std::string& typedAfter) {
    const auto text = fieldText(element);
    if (!text) {
        return std::nullopt;
    }
    const std::size_t length = codePoints(*text);
    // A field that keeps its caret to itself is typed at its end.
    const auto selection = element.selectedTextRange().valueIfPresent();
    const auto caret = selection ? selection->location : static_cast<std::int64_t>(length);
    const std::string original =
        AccessibleText::withTypedSpaces(request.expectedText + request.expectedTrailingDelimiter);
    const std::string kept = AccessibleText::withTypedSpaces(typedAfter);
    const std::size_t wordLength = codePoints(original);
    const std::size_t keptLength = codePoints(kept);
    if (caret < static_cast<std::int64_t>(wordLength + keptLength) ||
        caret > static_cast<std::int64_t>(length)) {
        return std::nullopt;
    }
    const auto end = static_cast<std::size_t>(caret);
    const auto wordEnd = end - keptLength;
    const auto before = text::CodePoints::substring(*text, 0, wordEnd - wordLength);
    const auto word = text::CodePoints::substring(*text, wordEnd - wordLength, wordLength);
    const auto typed = text::CodePoints::substring(*text, wordEnd, keptLength);
    const auto after = text::CodePoints::substring(*text, end, length - end);
    if (!before || !after || word != original || typed != kept) {
        return std::nullopt;
    }
    return Surroundings{*before, *after, original, kept};
}

std::optional<std::string> KeystrokeReplacementCheck::between(
    const std::optional<std::string>& field, const Surroundings& around) {
    if (!field || field->size() < around.before.size() + around.after.size() ||
        !field->starts_with(around.before) || !field->ends_with(around.after)) {
        return std::nullopt;
    }
    return field->substr(around.before.size(),
                         field->size() - around.before.size() - around.after.size());
}

std::optional<std::string> KeystrokeReplacementCheck::awaitText(const AccessibilityElement& element,
                                                                const Surroundings& around,
                                                                const std::string& wanted,
                                                                KeyPressNumber postedAt) {
    std::optional<std::string> shown;
    for (auto waited = std::chrono::milliseconds(0); waited < kArrivalLimit;
         waited += kPollInterval) {
        keyboard_.awaitDelivery(kPollInterval);
        shown = between(fieldText(element), around);
        if (shown && (*shown == wanted ||
                      (shown->starts_with(wanted) && keyPresses_.hasPressGoneOnSince(postedAt)))) {
            break;
        }
    }
    return shown;
}

std::optional<std::string> KeystrokeReplacementCheck::settledText(
    const AccessibilityElement& element, const Surroundings& around) {
    std::optional<std::string> last = between(fieldText(element), around);
    auto quiet = std::chrono::milliseconds(0);
    for (auto waited = std::chrono::milliseconds(0); waited < kArrivalLimit;
         waited += kPollInterval) {
        if (quiet >= kQuietTime) {
            return last;
        }
        keyboard_.awaitDelivery(kPollInterval);
        const auto now = between(fieldText(element), around);
        quiet = now == last ? quiet + kPollInterval : std::chrono::milliseconds(0);
        last = now;
    }
    return std::nullopt;
}

bool KeystrokeReplacementCheck::caretAfter(const AccessibilityElement& element,
                                           const Surroundings& around, const std::string& shown) {
    const auto selection = element.selectedTextRange().valueIfPresent();
    const auto end = static_cast<std::int64_t>(codePoints(around.before) + codePoints(shown));
    return selection && selection->length == 0 && selection->location == end;
}

KeystrokeReplacementCheck::Verdict KeystrokeReplacementCheck::restore(
    AccessibilityElement& element, const Surroundings& around, const std::string& shown,
    const TextReplacementRequest& request, const Post& post) {
    if (!std::string_view(shown).ends_with(around.typedAfter)) {
        return Verdict::lost;
    }
    // Exactly what the field shows in the word's place goes, and the typed text comes back.
    const std::string word = shown.substr(0, shown.size() - around.typedAfter.size());
    const TextReplacementRequest back(word, request.expectedText, "",
                                      request.expectedTrailingDelimiter);
    const KeyPressNumber postedAt = keyPresses_.latestPress();
    if (!post(back, around.typedAfter)) {
        return Verdict::lost;
    }
    const std::string wanted = around.original + around.typedAfter;
    const auto now = awaitText(element, around, wanted, postedAt);
    return now == wanted ? Verdict::restored : Verdict::lost;
}

}  // namespace plovik
