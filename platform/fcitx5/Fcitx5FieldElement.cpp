#include "platform/fcitx5/Fcitx5FieldElement.h"

#include <algorithm>
#include <utility>

#include "core/text/CodePoints.h"

namespace plovik {

namespace {

template <typename T>
AccessibilityResult<T> unsupported() {
    return AccessibilityResult<T>::failure(AccessibilityStatus::attributeUnsupported);
}

template <typename T>
AccessibilityResult<T> noValue() {
    return AccessibilityResult<T>::failure(AccessibilityStatus::noValue);
}

std::int64_t lengthOf(const std::string& text) {
    return static_cast<std::int64_t>(text::CodePoints::length(text));
}

}  // namespace

Fcitx5FieldElement::Fcitx5FieldElement(Fcitx5ModuleClient& module, Fcitx5ModuleClient::Field field,
                                       std::uint64_t afterSequence,
                                       std::optional<std::int32_t> processIdentifier)
    : module_(module),
      field_(std::move(field)),
      afterSequence_(afterSequence),
      processIdentifier_(processIdentifier) {}

const Fcitx5ModuleClient::Field& Fcitx5FieldElement::field() const {
    // The field as the module describes it now, while it is the one this element was made
    // for: an application late to report the keys before the word is waited for. After an
    // edit of Plovik's the element shows the edit, which the application reports later.
    if (!edited_) {
        if (auto now = module_.focusedField(); now && now->focus.context == field_.focus.context) {
            field_ = std::move(*now);
        }
    }
    return field_;
}

bool Fcitx5FieldElement::isSecret() const {
    return (field().focus.capabilities & (kPassword | kSensitive)) != 0;
}

bool Fcitx5FieldElement::hasText() const {
    return !isSecret() && field().surrounding.valid;
}

std::int64_t Fcitx5FieldElement::caret() const {
    return field().surrounding.cursor;
}

std::optional<std::string> Fcitx5FieldElement::text(std::int64_t from, std::int64_t to) const {
    if (!hasText() || from < 0 || to < from) {
        return std::nullopt;
    }
    return text::CodePoints::substring(field().surrounding.text, static_cast<std::size_t>(from),
                                       static_cast<std::size_t>(to - from));
}

AccessibilityResult<AccessibilityRole> Fcitx5FieldElement::role() const {
    if (isSecret()) {
        return AccessibilityResult<AccessibilityRole>::success(AccessibilityRole::passwordText);
    }
    return AccessibilityResult<AccessibilityRole>::success(
        (field().focus.capabilities & kMultiline) != 0 ? AccessibilityRole::multiLineText
                                                       : AccessibilityRole::singleLineText);
}

AccessibilityResult<std::string> Fcitx5FieldElement::identifier() const {
    return unsupported<std::string>();
}

AccessibilityResult<std::string> Fcitx5FieldElement::description() const {
    return unsupported<std::string>();
}

AccessibilityResult<bool> Fcitx5FieldElement::isFocused() const {
    return AccessibilityResult<bool>::success(field().focus.focused);
}

AccessibilityResult<AccessibilityElementRef> Fcitx5FieldElement::focusedWindow() const {
    return unsupported<AccessibilityElementRef>();
}

AccessibilityResult<std::vector<AccessibilityElementRef>> Fcitx5FieldElement::children() const {
    return unsupported<std::vector<AccessibilityElementRef>>();
}

AccessibilityResult<TextRange> Fcitx5FieldElement::selectedTextRange() const {
    if (!hasText()) {
        return noValue<TextRange>();
    }
    if (chosen_) {
        return AccessibilityResult<TextRange>::success(*chosen_);
    }
    const std::int64_t anchor = field().surrounding.anchor;
    return AccessibilityResult<TextRange>::success(
        {std::min(caret(), anchor), std::abs(caret() - anchor)});
}

AccessibilityResult<std::string> Fcitx5FieldElement::selectedText() const {
    const auto range = selectedTextRange().valueIfPresent();
    if (!range) {
        return noValue<std::string>();
    }
    return stringForRange(*range);
}

AccessibilityResult<std::string> Fcitx5FieldElement::value() const {
    if (!hasText()) {
        return noValue<std::string>();
    }
    return AccessibilityResult<std::string>::success(field().surrounding.text);
}

AccessibilityResult<std::int64_t> Fcitx5FieldElement::numberOfCharacters() const {
    if (!hasText()) {
        return noValue<std::int64_t>();
    }
    return AccessibilityResult<std::int64_t>::success(lengthOf(field().surrounding.text));
}

AccessibilityResult<bool> Fcitx5FieldElement::isValueSettable() const {
    return AccessibilityResult<bool>::success(false);
}

AccessibilityResult<bool> Fcitx5FieldElement::isSelectedTextSettable() const {
    return AccessibilityResult<bool>::success(hasText());
}

AccessibilityResult<std::string> Fcitx5FieldElement::stringForRange(TextRange range) const {
    auto found = text(range.location, range.end());
    if (!found) {
        return AccessibilityResult<std::string>::failure(AccessibilityStatus::illegalArgument);
    }
    return AccessibilityResult<std::string>::success(std::move(*found));
}

AccessibilityStatus Fcitx5FieldElement::setSelectedTextRange(TextRange range) {
    if (!hasText() || range.location < 0 || range.length < 0) {
        return AccessibilityStatus::failure;
    }
    if (range == TextRange{caret(), 0}) {
        chosen_.reset();
        return AccessibilityStatus::success;
    }
    // The input method can only replace text that ends before the caret.
    if (range.end() > caret()) {
        return AccessibilityStatus::cannotComplete;
    }
    chosen_ = range;
    return AccessibilityStatus::success;
}

AccessibilityStatus Fcitx5FieldElement::setSelectedText(const std::string& replacement) {
    if (!hasText() || !chosen_ || chosen_->length == 0) {
        return AccessibilityStatus::cannotComplete;
    }
    // Every part of the edit from one description of the field.
    const bool edited = std::exchange(edited_, true);
    // What lies between the chosen range and the caret stays after the replacement.
    const auto before = text(chosen_->location, caret());
    const auto after = text(chosen_->end(), caret());
    const auto head = text(0, chosen_->location);
    const auto tail = text(caret(), lengthOf(field().surrounding.text));
    // Keys typed after the word stay as typed, and the layout with them.
    const auto status =
        before && after && head && tail
            ? module_.edit(
                  module::Edit{
                      0, field().focus.context, afterSequence_, *before, replacement + *after, {}},
                  after->empty())
            : std::nullopt;
    if (status != module::EditStatus::done) {
        edited_ = edited;
        return AccessibilityStatus::failure;
    }
    // The field shows the edit before the application says so.
    field_.surrounding.text = *head + replacement + *after + *tail;
    field_.surrounding.cursor =
        static_cast<std::uint32_t>(chosen_->location + lengthOf(replacement) + lengthOf(*after));
    field_.surrounding.anchor = field_.surrounding.cursor;
    chosen_.reset();
    return AccessibilityStatus::success;
}

AccessibilityResult<std::int32_t> Fcitx5FieldElement::processIdentifier() const {
    if (!processIdentifier_) {
        return noValue<std::int32_t>();
    }
    return AccessibilityResult<std::int32_t>::success(*processIdentifier_);
}

}  // namespace plovik
