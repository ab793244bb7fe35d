#include "platform/atspi/AtspiElement.h"

#include <utility>

#include "core/text/CodePoints.h"
#include "core/text/Utf8.h"

namespace plovik {
namespace {

template <typename T>
AccessibilityResult<T> fromOptional(std::optional<T> value) {
    return value ? AccessibilityResult<T>::success(std::move(*value))
                 : AccessibilityResult<T>::failure(AccessibilityStatus::cannotComplete);
}

AccessibilityStatus statusOf(bool succeeded) {
    return succeeded ? AccessibilityStatus::success : AccessibilityStatus::cannotComplete;
}

TextRange portRange(CodePointRange range) {
    return {range.start, range.length()};
}

// The text before and after `range`, malformed bytes as U+FFFD the way AT-SPI passes
// them; absent when the range leaves the text.
std::optional<std::pair<std::string, std::string>> aroundRange(const std::string& text,
                                                               CodePointRange range) {
    const std::string clean = text::Utf8::sanitized(text);
    if (range.start < 0 || range.end < range.start) {
        return std::nullopt;
    }
    const auto start = text::CodePoints::byteOffset(clean, static_cast<std::size_t>(range.start));
    const auto end = text::CodePoints::byteOffset(clean, static_cast<std::size_t>(range.end));
    if (!start || !end) {
        return std::nullopt;
    }
    return std::pair(clean.substr(0, *start), clean.substr(*end));
}

// The replacement stands where the range stood, the text around it as it was; a key the
// user typed meanwhile may have gone in after the replacement.
bool showsReplacement(const std::string& after, const std::pair<std::string, std::string>& around,
                      const std::string& replacement) {
    const std::string clean = text::Utf8::sanitized(after);
    const std::string start = around.first + text::Utf8::sanitized(replacement);
    return clean.size() >= start.size() + around.second.size() && clean.starts_with(start) &&
           clean.ends_with(around.second);
}

}  // namespace

AccessibilityResult<AccessibilityRole> AtspiElement::role() const {
    return fromOptional(object_.textRole());
}

AccessibilityResult<std::string> AtspiElement::identifier() const {
    return fromOptional(object_.accessibleId());
}

AccessibilityResult<std::string> AtspiElement::description() const {
    const auto name = object_.name();
    const auto description = object_.description();
    if (!name && !description) {
        return AccessibilityResult<std::string>::failure(AccessibilityStatus::cannotComplete);
    }
    return AccessibilityResult<std::string>::success(name.value_or("") + " " +
                                                     description.value_or(""));
}

AccessibilityResult<bool> AtspiElement::isFocused() const {
    return fromOptional(object_.hasState(ATSPI_STATE_FOCUSED));
}

AccessibilityResult<AccessibilityElementRef> AtspiElement::focusedWindow() const {
    const auto windows = object_.children();
    if (!windows) {
        return AccessibilityResult<AccessibilityElementRef>::failure(
            AccessibilityStatus::cannotComplete);
    }
    for (const auto& window : *windows) {
        if (window.hasState(ATSPI_STATE_ACTIVE).value_or(false)) {
            return AccessibilityResult<AccessibilityElementRef>::success(
                std::make_shared<AtspiElement>(window));
        }
    }
    return AccessibilityResult<AccessibilityElementRef>::failure(AccessibilityStatus::noValue);
}

AccessibilityResult<std::vector<AccessibilityElementRef>> AtspiElement::children() const {
    const auto objects = object_.children();
    if (!objects) {
        return AccessibilityResult<std::vector<AccessibilityElementRef>>::failure(
            AccessibilityStatus::cannotComplete);
    }
    std::vector<AccessibilityElementRef> elements;
    for (const auto& child : *objects) {
        elements.push_back(std::make_shared<AtspiElement>(child));
    }
    return AccessibilityResult<std::vector<AccessibilityElementRef>>::success(std::move(elements));
}

std::optional<CodePointRange> AtspiElement::currentSelection() const {
    return chosenRange_ ? chosenRange_ : object_.selection();
}

AccessibilityResult<TextRange> AtspiElement::selectedTextRange() const {
    const auto selection = currentSelection();
    return fromOptional(selection ? std::optional(portRange(*selection)) : std::nullopt);
}

AccessibilityResult<std::string> AtspiElement::selectedText() const {
    const auto selection = currentSelection();
    chosenFrom_.reset();
    if (!selection) {
        return fromOptional(std::optional<std::string>());
    }
    if (!chosenRange_ || object_.textUnits() == TextUnits::codePoints) {
        return fromOptional(object_.textIn(*selection));
    }
    chosenFrom_ = object_.text();
    return fromOptional(chosenFrom_ ? text::CodePoints::substring(
                                          *chosenFrom_, static_cast<std::size_t>(selection->start),
                                          static_cast<std::size_t>(selection->length()))
                                    : std::nullopt);
}

AccessibilityResult<std::string> AtspiElement::value() const {
    return fromOptional(object_.text());
}

AccessibilityResult<std::int64_t> AtspiElement::numberOfCharacters() const {
    const auto count = object_.characterCount();
    return fromOptional(count ? std::optional<std::int64_t>(*count) : std::nullopt);
}

AccessibilityResult<bool> AtspiElement::isValueSettable() const {
    const auto editable = object_.hasState(ATSPI_STATE_EDITABLE);
    return fromOptional(editable ? std::optional(*editable && object_.hasEditableText())
                                 : std::nullopt);
}

AccessibilityResult<bool> AtspiElement::isSelectedTextSettable() const {
    return isValueSettable();
}

AccessibilityResult<std::string> AtspiElement::stringForRange(TextRange range) const {
    if (range.location < 0 || range.length < 0) {
        return AccessibilityResult<std::string>::failure(AccessibilityStatus::illegalArgument);
    }
    return fromOptional(
        object_.textIn({static_cast<long>(range.location), static_cast<long>(range.end())}));
}

AccessibilityStatus AtspiElement::setSelectedTextRange(TextRange range) {
    if (range.location < 0 || range.length < 0) {
        return AccessibilityStatus::illegalArgument;
    }
    const CodePointRange chosen{static_cast<long>(range.location), static_cast<long>(range.end())};
    const auto written = std::exchange(written_, std::nullopt);
    chosenFrom_.reset();
    // The chosen range and the caret left alone are checked against the text read next,
    // not against a count of their own: with the keyboard held, every read counts.
    if (chosen.length() > 0) {
        chosenRange_ = chosen;
        leavesCaret_ = true;
        return AccessibilityStatus::success;
    }
    chosenRange_.reset();
    if (leavesCaret_) {
        // Only read: the caret may already be after a key the user typed meanwhile.
        return statusOf((written ? object_.caretOffset(*written) : object_.caretOffset()) ==
                        chosen.start);
    }
    const auto count = object_.characterCount();
    if (!count || range.end() > *count) {
        return AccessibilityStatus::illegalArgument;
    }
    return statusOf(object_.setSelection(chosen));
}

AccessibilityStatus AtspiElement::setSelectedText(const std::string& replacement) {
    const auto selection = currentSelection();
    chosenRange_.reset();
    leavesCaret_ = true;
    written_.reset();
    const auto read = std::exchange(chosenFrom_, std::nullopt);
    const auto before = !selection ? std::nullopt : read ? read : object_.text();
    const auto around = before ? aroundRange(*before, *selection) : std::nullopt;
    if (!around) {
        return AccessibilityStatus::cannotComplete;
    }
    if (selection->length() > 0 && !object_.deleteText(*selection, *before)) {
        return AccessibilityStatus::cannotComplete;
    }
    if (!replacement.empty()) {
        // Whatever the answer, the text tells what happened.
        (void)object_.insertText(selection->start, replacement, *before);
    }
    // Some applications report success and change nothing: only the text itself tells.
    const auto after = object_.text();
    if (after && showsReplacement(*after, *around, replacement)) {
        written_ = after;
        return AccessibilityStatus::success;
    }
    if (after && selection->length() > 0 && putBackRefused(*after, *around, *before, *selection)) {
        return AccessibilityStatus::refused;
    }
    return AccessibilityStatus::cannotComplete;
}

bool AtspiElement::putBackRefused(const std::string& after,
                                  const std::pair<std::string, std::string>& around,
                                  const std::string& before, CodePointRange erased) {
    // A field that filters what it is given took the deletion and refused the new text:
    // the user's word goes back where it was.
    if (text::Utf8::sanitized(after) != around.first + around.second) {
        return false;
    }
    const std::string clean = text::Utf8::sanitized(before);
    const std::string word = clean.substr(
        around.first.size(), clean.size() - around.first.size() - around.second.size());
    (void)object_.insertText(erased.start, word, after);
    const auto now = object_.text();
    return now && text::Utf8::sanitized(*now) == clean;
}

AccessibilityStatus AtspiElement::selectTextRange(TextRange range) {
    written_.reset();
    chosenFrom_.reset();
    const auto count = object_.characterCount();
    if (!count || range.location < 0 || range.length < 0 || range.end() > *count) {
        return AccessibilityStatus::illegalArgument;
    }
    chosenRange_.reset();
    return statusOf(
        object_.setSelection({static_cast<long>(range.location), static_cast<long>(range.end())}));
}

AccessibilityResult<std::int32_t> AtspiElement::processIdentifier() const {
    const auto pid = object_.processId();
    return fromOptional(pid ? std::optional<std::int32_t>(*pid) : std::nullopt);
}

}  // namespace plovik
