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
                                                     const KeyEventTapFactory& keyPresses)
    : keyboard_(keyboard), keyPresses_(keyPresses) {}

std::optional<KeystrokeReplacementCheck::Verdict> KeystrokeReplacementCheck::replace(
    AccessibilityElement& element, const TextReplacementRequest& request) {
    const auto around = surroundings(element, request);
    if (!around) {
        return std::nullopt;
    }
    const KeyPressNumber postedAt = keyPresses_.latestPress();
    if (!keyboard_.replace(request)) {
        return std::nullopt;
    }
    const std::string replacement = AccessibleText::withTypedSpaces(
        request.replacementText + request.replacementTrailingDelimiter);
    const auto shown = awaitText(element, *around, replacement, postedAt);
    const bool typedOn = keyPresses_.hasPressGoneOnSince(postedAt);
    if (shown && (*shown == replacement || (typedOn && shown->starts_with(replacement)))) {
        return Verdict::arrived;
    }
    // Keys the user typed meanwhile are in the field too, and nothing tells them apart.
    const auto settled = typedOn ? std::nullopt : settledText(element, *around);
    if (!settled || !caretAfter(element, *around, *settled)) {
        return Verdict::lost;
    }
    return restore(element, *around, *settled, request);
}

std::optional<KeystrokeReplacementCheck::Surroundings> KeystrokeReplacementCheck::surroundings(
    const AccessibilityElement& element, const TextReplacementRequest& request) {
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
    const std::size_t wordLength = codePoints(original);
    if (caret < static_cast<std::int64_t>(wordLength) ||
        caret > static_cast<std::int64_t>(length)) {
        return std::nullopt;
    }
    const auto end = static_cast<std::size_t>(caret);
    const auto before = text::CodePoints::substring(*text, 0, end - wordLength);
    const auto word = text::CodePoints::substring(*text, end - wordLength, wordLength);
    const auto after = text::CodePoints::substring(*text, end, length - end);
    if (!before || !after || word != original) {
        return std::nullopt;
    }
    return Surroundings{*before, *after, original};
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
    const TextReplacementRequest& request) {
    // Exactly what the field shows in the word's place goes, and the typed text comes back.
    const TextReplacementRequest back(shown, request.expectedText, "",
                                      request.expectedTrailingDelimiter);
    const KeyPressNumber postedAt = keyPresses_.latestPress();
    if (!keyboard_.replace(back)) {
        return Verdict::lost;
    }
    const auto now = awaitText(element, around, around.original, postedAt);
    return now == around.original ? Verdict::restored : Verdict::lost;
}

}  // namespace plovik
