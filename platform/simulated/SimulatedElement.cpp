#include "platform/simulated/SimulatedElement.h"

#include <algorithm>

#include "core/replacement/AccessibleText.h"
#include "core/text/CodePoints.h"
#include "core/text/Graphemes.h"

namespace plovik {

namespace {

std::int64_t codePointLength(const std::string& text) {
    return static_cast<std::int64_t>(text::CodePoints::length(text));
}

template <typename T>
AccessibilityResult<T> optionalAttribute(const std::optional<T>& value) {
    return value ? AccessibilityResult<T>::success(*value)
                 : AccessibilityResult<T>::failure(AccessibilityStatus::noValue);
}

}  // namespace

SimulatedElement::SimulatedElement(std::weak_ptr<SimulatedAccessibilityEnvironment> environment,
                                   std::int32_t processIdentifier,
                                   std::optional<AccessibilityRole> role)
    : environment_(std::move(environment)),
      processIdentifier_(processIdentifier),
      role_(std::move(role)) {}

SimulatedElementRef SimulatedElement::addChild(std::optional<AccessibilityRole> role) {
    auto child = std::make_shared<SimulatedElement>(environment_, processIdentifier_, role);
    child->parent_ = weak_from_this();
    child->application_ = application_;
    children_.push_back(child);
    return child;
}

SimulatedElementRef SimulatedElement::application() const {
    return application_.lock();
}

void SimulatedElement::setText(const std::string& text) {
    text_ = text;
    selection_ = {codePointLength(text), 0};
}

bool SimulatedElement::setSelection(TextRange selection) {
    if (!isValidRange(selection)) {
        return false;
    }
    selection_ = selection;
    return true;
}

bool SimulatedElement::isValidRange(TextRange range) const {
    return text_ && range.location >= 0 && range.length >= 0 &&
           range.end() <= codePointLength(*text_);
}

void SimulatedElement::replaceRange(TextRange range, const std::string& text) {
    const auto start =
        text::CodePoints::byteOffset(*text_, static_cast<std::size_t>(range.location));
    const auto end = text::CodePoints::byteOffset(*text_, static_cast<std::size_t>(range.end()));
    if (!start || !end) {
        return;
    }
    text_->replace(*start, *end - *start, text);
    selection_ = {range.location + codePointLength(text), 0};
}

void SimulatedElement::deleteBackward() {
    if (!text_) {
        return;
    }
    if (selection_.length > 0) {
        replaceRange(selection_, "");
        return;
    }
    const auto caretByte =
        text::CodePoints::byteOffset(*text_, static_cast<std::size_t>(selection_.location));
    if (!caretByte || *caretByte == 0) {
        return;
    }
    const std::string before = text::Graphemes::lastCharacter(text_->substr(0, *caretByte));
    const std::int64_t length = codePointLength(before);
    replaceRange({selection_.location - length, length}, "");
}

void SimulatedElement::insertText(const std::string& text) {
    if (text_ && !refusesText(text)) {
        replaceRange(selection_, text);
    }
}

void SimulatedElement::moveCaretLeft() {
    if (!text_ || selection_.length > 0) {
        selection_.length = 0;
        return;
    }
    const auto caretByte =
        text::CodePoints::byteOffset(*text_, static_cast<std::size_t>(selection_.location));
    if (caretByte) {
        selection_.location -=
            codePointLength(text::Graphemes::lastCharacter(text_->substr(0, *caretByte)));
    }
}

void SimulatedElement::extendSelectionLeft() {
    if (!text_) {
        return;
    }
    const auto startByte =
        text::CodePoints::byteOffset(*text_, static_cast<std::size_t>(selection_.location));
    if (!startByte || *startByte == 0) {
        return;
    }
    const std::int64_t length =
        codePointLength(text::Graphemes::lastCharacter(text_->substr(0, *startByte)));
    selection_ = {selection_.location - length, selection_.length + length};
}

void SimulatedElement::moveCaretRight() {
    if (!text_ || selection_.length > 0) {
        selection_ = {selection_.end(), 0};
        return;
    }
    const auto caretByte =
        text::CodePoints::byteOffset(*text_, static_cast<std::size_t>(selection_.location));
    if (!caretByte) {
        return;
    }
    const auto after = text::Graphemes::split(text_->substr(*caretByte));
    if (!after.empty()) {
        selection_.location += codePointLength(after.front());
    }
}

bool SimulatedElement::hasFocus() const {
    const auto application = application_.lock();
    return application && application->focusedElement_.lock().get() == this;
}

std::optional<AccessibilityStatus> SimulatedElement::refusal(const std::string& attribute) const {
    const auto environment = environment_.lock();
    if (!environment) {
        return AccessibilityStatus::cannotComplete;
    }
    ++environment->accessCounts[attribute];
    if (environment->onAccess) {
        // A copy: the hook may replace itself.
        const auto hook = environment->onAccess;
        hook(attribute);
    }
    if (!environment->trusted) {
        return AccessibilityStatus::apiDisabled;
    }
    return std::nullopt;
}

template <typename T>
AccessibilityResult<T> SimulatedElement::readText(const std::string& attribute, bool supported,
                                                  const auto& produce) const {
    if (const auto status = refusal(attribute)) {
        return AccessibilityResult<T>::failure(*status);
    }
    if (!text_ || !supported) {
        return AccessibilityResult<T>::failure(AccessibilityStatus::attributeUnsupported);
    }
    return produce();
}

AccessibilityResult<AccessibilityRole> SimulatedElement::role() const {
    if (const auto status = refusal("role")) {
        return AccessibilityResult<AccessibilityRole>::failure(*status);
    }
    return optionalAttribute(role_);
}

AccessibilityResult<std::string> SimulatedElement::identifier() const {
    if (const auto status = refusal("identifier")) {
        return AccessibilityResult<std::string>::failure(*status);
    }
    return optionalAttribute(identifier_);
}

AccessibilityResult<std::string> SimulatedElement::description() const {
    if (const auto status = refusal("description")) {
        return AccessibilityResult<std::string>::failure(*status);
    }
    return optionalAttribute(description_);
}

AccessibilityResult<bool> SimulatedElement::isFocused() const {
    if (const auto status = refusal("focused")) {
        return AccessibilityResult<bool>::failure(*status);
    }
    if (!quirks_.reportsFocus) {
        return AccessibilityResult<bool>::failure(AccessibilityStatus::attributeUnsupported);
    }
    return AccessibilityResult<bool>::success(hasFocus());
}

AccessibilityResult<AccessibilityElementRef> SimulatedElement::focusedWindow() const {
    if (const auto status = refusal("focusedWindow")) {
        return AccessibilityResult<AccessibilityElementRef>::failure(*status);
    }
    if (auto window = focusedWindow_.lock()) {
        return AccessibilityResult<AccessibilityElementRef>::success(window);
    }
    return AccessibilityResult<AccessibilityElementRef>::failure(AccessibilityStatus::noValue);
}

AccessibilityResult<std::vector<AccessibilityElementRef>> SimulatedElement::children() const {
    if (const auto status = refusal("children")) {
        return AccessibilityResult<std::vector<AccessibilityElementRef>>::failure(*status);
    }
    return AccessibilityResult<std::vector<AccessibilityElementRef>>::success(
        std::vector<AccessibilityElementRef>(children_.begin(), children_.end()));
}

AccessibilityResult<TextRange> SimulatedElement::selectedTextRange() const {
    return readText<TextRange>("selectedTextRange", quirks_.reportsSelectedTextRange,
                               [&] { return AccessibilityResult<TextRange>::success(selection_); });
}

AccessibilityResult<std::string> SimulatedElement::selectedText() const {
    return readText<std::string>("selectedText", quirks_.reportsSelectedText, [&] {
        return optionalAttribute(AccessibleText::slice(*text_, selection_));
    });
}

AccessibilityResult<std::string> SimulatedElement::value() const {
    return readText<std::string>("value", quirks_.reportsValue,
                                 [&] { return AccessibilityResult<std::string>::success(*text_); });
}

AccessibilityResult<std::int64_t> SimulatedElement::numberOfCharacters() const {
    return readText<std::int64_t>("numberOfCharacters", quirks_.reportsNumberOfCharacters, [&] {
        return AccessibilityResult<std::int64_t>::success(codePointLength(*text_));
    });
}

AccessibilityResult<bool> SimulatedElement::isValueSettable() const {
    if (const auto status = refusal("valueSettable")) {
        return AccessibilityResult<bool>::failure(*status);
    }
    if (!quirks_.supportsSettableChecks) {
        return AccessibilityResult<bool>::failure(AccessibilityStatus::cannotComplete);
    }
    return AccessibilityResult<bool>::success(valueSettable_);
}

AccessibilityResult<bool> SimulatedElement::isSelectedTextSettable() const {
    if (const auto status = refusal("selectedTextSettable")) {
        return AccessibilityResult<bool>::failure(*status);
    }
    if (!quirks_.supportsSettableChecks) {
        return AccessibilityResult<bool>::failure(AccessibilityStatus::cannotComplete);
    }
    return AccessibilityResult<bool>::success(selectedTextSettable_);
}

AccessibilityResult<std::string> SimulatedElement::stringForRange(TextRange range) const {
    return readText<std::string>("stringForRange", quirks_.supportsStringForRange, [&] {
        const auto text = AccessibleText::slice(*text_, range);
        return text ? AccessibilityResult<std::string>::success(*text)
                    : AccessibilityResult<std::string>::failure(
                          AccessibilityStatus::illegalArgument);
    });
}

AccessibilityStatus SimulatedElement::setSelectedTextRange(TextRange range) {
    if (const auto status = refusal("set selectedTextRange")) {
        return *status;
    }
    if (!text_) {
        return AccessibilityStatus::attributeUnsupported;
    }
    if (!quirks_.acceptsSelectionWrites || (range.length == 0 && !quirks_.acceptsCaretWrites)) {
        return AccessibilityStatus::failure;
    }
    if (range.length == 0 && quirks_.ignoresCaretWrites) {
        return AccessibilityStatus::success;
    }
    return setSelection(range) ? AccessibilityStatus::success
                               : AccessibilityStatus::illegalArgument;
}

AccessibilityStatus SimulatedElement::setSelectedText(const std::string& text) {
    if (const auto status = refusal("set selectedText")) {
        return *status;
    }
    if (!text_) {
        return AccessibilityStatus::attributeUnsupported;
    }
    if (!quirks_.acceptsTextWrites) {
        return AccessibilityStatus::failure;
    }
    if (refusesText(text)) {
        return AccessibilityStatus::refused;
    }
    replaceRange(selection_, text);
    return AccessibilityStatus::success;
}

bool SimulatedElement::refusesText(std::string_view text) const {
    return !quirks_.acceptsNonAsciiText &&
           std::any_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; });
}

AccessibilityResult<std::int32_t> SimulatedElement::processIdentifier() const {
    if (const auto status = refusal("pid")) {
        return AccessibilityResult<std::int32_t>::failure(*status);
    }
    return AccessibilityResult<std::int32_t>::success(processIdentifier_);
}

}  // namespace plovik
