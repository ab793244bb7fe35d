#include "platform/ibus/IbusFieldElement.h"

#include <algorithm>

#include "core/text/CodePoints.h"

namespace plovik {

namespace {

template <typename T>
AccessibilityResult<T> absent() {
    return AccessibilityResult<T>::failure(AccessibilityStatus::noValue);
}

}  // namespace

IbusFieldElement::IbusFieldElement(IbusField field, IbusFieldEditor& editor,
                                   std::optional<std::int32_t> processIdentifier)
    : field_(std::move(field)), editor_(editor), processIdentifier_(processIdentifier) {}

const IbusField& IbusFieldElement::field() const {
    // The field as the engines describe it now, edits Plovik made included, while it is
    // the one this element was made for.
    const auto& now = editor_.field();
    return now && now->context == field_.context ? *now : field_;
}

const IbusField::Text* IbusFieldElement::readableText() const {
    const IbusField& now = field();
    return now.secret || refusal_ || !now.text ? nullptr : &*now.text;
}

TextRange IbusFieldElement::caret() const {
    const auto& text = *field().text;
    const auto start = std::min(text.cursor, text.anchor);
    return {start, std::max(text.cursor, text.anchor) - start};
}

AccessibilityResult<AccessibilityRole> IbusFieldElement::role() const {
    if (field().secret) {
        return AccessibilityResult<AccessibilityRole>::success(AccessibilityRole::passwordText);
    }
    const bool lines = field().text && field().text->text.find('\n') != std::string::npos;
    return AccessibilityResult<AccessibilityRole>::success(
        lines ? AccessibilityRole::multiLineText : AccessibilityRole::singleLineText);
}

AccessibilityResult<std::string> IbusFieldElement::identifier() const {
    return absent<std::string>();
}

AccessibilityResult<std::string> IbusFieldElement::description() const {
    return absent<std::string>();
}

AccessibilityResult<bool> IbusFieldElement::isFocused() const {
    return AccessibilityResult<bool>::success(field().focused);
}

AccessibilityResult<AccessibilityElementRef> IbusFieldElement::focusedWindow() const {
    return absent<AccessibilityElementRef>();
}

AccessibilityResult<std::vector<AccessibilityElementRef>> IbusFieldElement::children() const {
    return AccessibilityResult<std::vector<AccessibilityElementRef>>::success({});
}

AccessibilityResult<TextRange> IbusFieldElement::selectedTextRange() const {
    if (!readableText()) {
        return absent<TextRange>();
    }
    return AccessibilityResult<TextRange>::success(selection_.value_or(caret()));
}

AccessibilityResult<std::string> IbusFieldElement::selectedText() const {
    const auto range = selectedTextRange().valueIfPresent();
    return range ? stringForRange(*range) : absent<std::string>();
}

AccessibilityResult<std::string> IbusFieldElement::value() const {
    const auto* text = readableText();
    return text ? AccessibilityResult<std::string>::success(text->text) : absent<std::string>();
}

AccessibilityResult<std::int64_t> IbusFieldElement::numberOfCharacters() const {
    const auto* text = readableText();
    return text ? AccessibilityResult<std::int64_t>::success(
                      static_cast<std::int64_t>(text::CodePoints::length(text->text)))
                : absent<std::int64_t>();
}

AccessibilityResult<bool> IbusFieldElement::isValueSettable() const {
    return AccessibilityResult<bool>::success(false);
}

AccessibilityResult<bool> IbusFieldElement::isSelectedTextSettable() const {
    return AccessibilityResult<bool>::success(!field().secret && field().tellsText);
}

AccessibilityResult<std::string> IbusFieldElement::stringForRange(TextRange range) const {
    const auto* text = readableText();
    if (!text || range.location < 0 || range.length < 0) {
        return absent<std::string>();
    }
    auto part = text::CodePoints::substring(text->text, static_cast<std::size_t>(range.location),
                                            static_cast<std::size_t>(range.length));
    return part ? AccessibilityResult<std::string>::success(std::move(*part))
                : absent<std::string>();
}

AccessibilityStatus IbusFieldElement::setSelectedTextRange(TextRange range) {
    if (!readableText()) {
        return AccessibilityStatus::cannotComplete;
    }
    const TextRange current = caret();
    // The caret itself stays where the application puts it; only the text right before
    // an empty caret can be chosen for replacement.
    if (range.length == 0) {
        if (range == current) {
            selection_.reset();
            return AccessibilityStatus::success;
        }
        return AccessibilityStatus::cannotComplete;
    }
    if (current.length != 0 || range.location < 0 || range.end() != current.location) {
        return AccessibilityStatus::cannotComplete;
    }
    selection_ = range;
    return AccessibilityStatus::success;
}

AccessibilityStatus IbusFieldElement::setSelectedText(const std::string& replacement) {
    if (!readableText() || !selection_) {
        return AccessibilityStatus::cannotComplete;
    }
    const std::int64_t from = std::max<std::int64_t>(selection_->location - kCheckedContext, 0);
    const auto expected = stringForRange({from, selection_->end() - from});
    if (!expected.succeeded()) {
        return AccessibilityStatus::cannotComplete;
    }
    refusal_ = editor_.replace(field().context, *expected.value, from == 0 && field().text->whole,
                               static_cast<std::size_t>(selection_->length), replacement);
    selection_.reset();
    return refusal_ ? AccessibilityStatus::failure : AccessibilityStatus::success;
}

AccessibilityResult<std::int32_t> IbusFieldElement::processIdentifier() const {
    return processIdentifier_ ? AccessibilityResult<std::int32_t>::success(*processIdentifier_)
                              : absent<std::int32_t>();
}

}  // namespace plovik
