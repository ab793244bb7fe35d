#include "platform/x11/AtspiElement.h"

#include "core/text/Utf16.h"

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

const char* portRole(TextFieldKind kind) {
    switch (kind) {
        case TextFieldKind::singleLine:
        case TextFieldKind::password:
            return "AXTextField";
        case TextFieldKind::multiLine:
            return "AXTextArea";
        case TextFieldKind::webDocument:
            return "AXWebArea";
        case TextFieldKind::other:
            break;
    }
    return "AXUnknown";
}

}  // namespace

std::optional<CodePointRange> AtspiElement::codePoints(const std::string& text,
                                                       TextRange range) const {
    if (range.location < 0 || range.length < 0) {
        return std::nullopt;
    }
    const auto start =
        TextUnitConversion::fromToolkit(text, static_cast<long>(range.location), TextUnits::utf16);
    const auto end = TextUnitConversion::fromToolkit(
        text, static_cast<long>(range.location + range.length), TextUnits::utf16);
    return start && end ? std::optional(CodePointRange{*start, *end}) : std::nullopt;
}

std::optional<TextRange> AtspiElement::utf16(const std::string& text, CodePointRange range) const {
    const auto start = TextUnitConversion::toToolkit(text, range.start, TextUnits::utf16);
    const auto end = TextUnitConversion::toToolkit(text, range.end, TextUnits::utf16);
    return start && end ? std::optional(TextRange{*start, *end - *start}) : std::nullopt;
}

AccessibilityResult<std::string> AtspiElement::role() const {
    const auto kind = object_.textFieldKind();
    return kind ? AccessibilityResult<std::string>::success(portRole(*kind))
                : AccessibilityResult<std::string>::failure(AccessibilityStatus::cannotComplete);
}

AccessibilityResult<std::string> AtspiElement::subrole() const {
    if (object_.textFieldKind() == TextFieldKind::password) {
        return AccessibilityResult<std::string>::success("AXSecureTextField");
    }
    return AccessibilityResult<std::string>::failure(AccessibilityStatus::noValue);
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

AccessibilityResult<TextRange> AtspiElement::selectedTextRange() const {
    const auto selection = object_.selection();
    const auto text = selection ? object_.text() : std::nullopt;
    return fromOptional(text ? utf16(*text, *selection) : std::nullopt);
}

AccessibilityResult<std::string> AtspiElement::selectedText() const {
    const auto selection = object_.selection();
    const auto text = selection ? object_.text() : std::nullopt;
    const auto range = text ? utf16(*text, *selection) : std::nullopt;
    return fromOptional(range ? text::Utf16::substring(*text,
                                                       static_cast<std::size_t>(range->location),
                                                       static_cast<std::size_t>(range->length))
                              : std::nullopt);
}

AccessibilityResult<std::string> AtspiElement::value() const {
    return fromOptional(object_.text());
}

AccessibilityResult<std::int64_t> AtspiElement::numberOfCharacters() const {
    const auto text = object_.text();
    return fromOptional(text ? std::optional<std::int64_t>(text::Utf16::length(*text))
                             : std::nullopt);
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
    const auto text = object_.text();
    if (!text || range.location < 0 || range.length < 0) {
        return AccessibilityResult<std::string>::failure(AccessibilityStatus::illegalArgument);
    }
    return fromOptional(text::Utf16::substring(*text, static_cast<std::size_t>(range.location),
                                               static_cast<std::size_t>(range.length)));
}

AccessibilityResult<std::vector<AccessibilityElementRef>> AtspiElement::elementsForSearchPredicate(
    const AccessibilitySearchPredicate&) const {
    return AccessibilityResult<std::vector<AccessibilityElementRef>>::failure(
        AccessibilityStatus::attributeUnsupported);
}

AccessibilityStatus AtspiElement::setSelectedTextRange(TextRange range) {
    const auto text = object_.text();
    const auto points = text ? codePoints(*text, range) : std::nullopt;
    if (!points) {
        return AccessibilityStatus::illegalArgument;
    }
    return statusOf(object_.setSelection(*points));
}

AccessibilityStatus AtspiElement::setSelectedText(const std::string& replacement) {
    const auto selection = object_.selection();
    const auto before = selection ? object_.text() : std::nullopt;
    if (!before) {
        return AccessibilityStatus::cannotComplete;
    }
    if (selection->length() > 0 && !object_.deleteText(*selection)) {
        return AccessibilityStatus::cannotComplete;
    }
    if (!replacement.empty() && !object_.insertText(selection->start, replacement)) {
        return AccessibilityStatus::cannotComplete;
    }
    // Some applications report success and change nothing: only the text itself tells.
    const auto after = object_.text();
    const auto start = TextUnitConversion::toToolkit(*before, selection->start, TextUnits::utf16);
    const auto end = TextUnitConversion::toToolkit(*before, selection->end, TextUnits::utf16);
    if (!after || !start || !end) {
        return AccessibilityStatus::cannotComplete;
    }
    const std::u16string expected = text::Utf16::encode(*before).substr(0, *start) +
                                    text::Utf16::encode(replacement) +
                                    text::Utf16::encode(*before).substr(*end);
    return statusOf(text::Utf16::encode(*after) == expected);
}

AccessibilityResult<std::int32_t> AtspiElement::processIdentifier() const {
    const auto pid = object_.processId();
    return fromOptional(pid ? std::optional<std::int32_t>(*pid) : std::nullopt);
}

}  // namespace plovik
