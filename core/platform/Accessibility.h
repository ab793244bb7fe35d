#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/platform/TextRange.h"

namespace plovik {

// The outcome of one accessibility call. Callers treat every status but success as
// "absent"; the distinctions exist for backends and diagnostics.
enum class AccessibilityStatus {
    success,
    failure,
    illegalArgument,
    attributeUnsupported,
    noValue,
    cannotComplete,
    apiDisabled,
    // The application would not take the text it was given (a field that filters its
    // input); the field is as it was.
    refused,
};

// A read: a value exactly when the status is success.
template <typename T>
struct AccessibilityResult {
    AccessibilityStatus status = AccessibilityStatus::noValue;
    std::optional<T> value;

    static AccessibilityResult success(T value) {
        return {AccessibilityStatus::success, std::move(value)};
    }
    static AccessibilityResult failure(AccessibilityStatus status) {
        return {status, std::nullopt};
    }

    bool succeeded() const { return status == AccessibilityStatus::success && value.has_value(); }
    // The value, or absent whatever the reason.
    std::optional<T> valueIfPresent() const { return succeeded() ? value : std::nullopt; }
};

class AccessibilityElement;
using AccessibilityElementRef = std::shared_ptr<AccessibilityElement>;

// What an element is, as far as correcting its text is concerned. Password text is its
// own role: the only sure sign of a secret. An editable combo box is single-line text.
enum class AccessibilityRole { singleLineText, multiLineText, passwordText, webDocument, other };

// One user-interface element of some application, owned by the backend. Every read
// may fail; ranges and lengths are in Unicode code points.
class AccessibilityElement {
  public:
    virtual ~AccessibilityElement() = default;

    virtual AccessibilityResult<AccessibilityRole> role() const = 0;
    virtual AccessibilityResult<std::string> identifier() const = 0;
    virtual AccessibilityResult<std::string> description() const = 0;
    virtual AccessibilityResult<bool> isFocused() const = 0;
    virtual AccessibilityResult<AccessibilityElementRef> focusedWindow() const = 0;
    virtual AccessibilityResult<std::vector<AccessibilityElementRef>> children() const = 0;
    virtual AccessibilityResult<TextRange> selectedTextRange() const = 0;
    virtual AccessibilityResult<std::string> selectedText() const = 0;
    // The element's value when it is a string.
    virtual AccessibilityResult<std::string> value() const = 0;
    virtual AccessibilityResult<std::int64_t> numberOfCharacters() const = 0;

    virtual AccessibilityResult<bool> isValueSettable() const = 0;
    virtual AccessibilityResult<bool> isSelectedTextSettable() const = 0;

    virtual AccessibilityResult<std::string> stringForRange(TextRange range) const = 0;

    // Chooses the range that setSelectedText replaces; a backend may keep it to itself
    // rather than select it in the application.
    virtual AccessibilityStatus setSelectedTextRange(TextRange range) = 0;
    virtual AccessibilityStatus setSelectedText(const std::string& text) = 0;
    // Selects the range in the application, where the user sees it.
    virtual AccessibilityStatus selectTextRange(TextRange range) {
        return setSelectedTextRange(range);
    }

    // The process that owns the element.
    virtual AccessibilityResult<std::int32_t> processIdentifier() const = 0;
};

// The system side of accessibility: the focused element of the whole desktop, the
// element of an application, and whether this process may use any of it.
class Accessibility {
  public:
    virtual ~Accessibility() = default;

    virtual AccessibilityResult<AccessibilityElementRef> systemWideFocusedElement() const = 0;
    virtual AccessibilityElementRef applicationElement(std::int32_t processIdentifier) const = 0;

    virtual bool isProcessTrusted() const = 0;
    // The same question; with `prompt` the system asks the user to grant access
    // (on Linux: switches the accessibility bus on).
    virtual bool isProcessTrusted(bool prompt) = 0;
};

}  // namespace plovik
