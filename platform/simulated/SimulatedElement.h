#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/Accessibility.h"
#include "platform/simulated/SimulatedAccessibilityEnvironment.h"

namespace plovik {

// Ways a real application's element departs from the well-behaved default.
struct SimulatedElementQuirks {
    bool reportsSelectedTextRange = true;
    bool reportsSelectedText = true;
    bool supportsStringForRange = true;
    bool reportsValue = true;
    bool reportsNumberOfCharacters = true;
    bool reportsFocus = true;
    // False: only a search of the window finds the element.
    bool reportsFocusToSystemWide = true;
    bool supportsSettableChecks = true;
    bool acceptsSelectionWrites = true;
    bool acceptsTextWrites = true;
    // False: a field that filters its input (Latin letters or digits only) refuses any
    // other text, written or typed.
    bool acceptsNonAsciiText = true;
    // Writes of a bare caret fail...
    bool acceptsCaretWrites = true;
    // ...or report success and leave the selection where it is.
    bool ignoresCaretWrites = false;

    bool operator==(const SimulatedElementQuirks&) const = default;
};

class SimulatedElement;
using SimulatedElementRef = std::shared_ptr<SimulatedElement>;

// One element of a simulated application: a window, a group, a web area or a text
// field holding UTF-8 text with a selection in code points.
class SimulatedElement final : public AccessibilityElement,
                               public std::enable_shared_from_this<SimulatedElement> {
  public:
    // Use SimulatedApplication (for its element) or addChild.
    SimulatedElement(std::weak_ptr<SimulatedAccessibilityEnvironment> environment,
                     std::int32_t processIdentifier, std::optional<AccessibilityRole> role);

    // --- Control interface
    SimulatedElementRef addChild(std::optional<AccessibilityRole> role);
    std::vector<SimulatedElementRef> childElements() const { return children_; }
    SimulatedElementRef parent() const { return parent_.lock(); }
    // The application element this element belongs to (itself for an application).
    SimulatedElementRef application() const;

    // Absent: reading the role fails.
    void setRole(std::optional<AccessibilityRole> role) { role_ = role; }
    std::optional<AccessibilityRole> roleValue() const { return role_; }
    void setIdentifier(std::optional<std::string> identifier) {
        identifier_ = std::move(identifier);
    }
    void setDescription(std::optional<std::string> description) {
        description_ = std::move(description);
    }
    void setValueSettable(bool settable) { valueSettable_ = settable; }
    void setSelectedTextSettable(bool settable) { selectedTextSettable_ = settable; }
    SimulatedElementQuirks& quirks() { return quirks_; }

    // Gives the element text; the caret goes to the end.
    void setText(const std::string& text);
    // False (nothing changes) when the selection leaves the text.
    bool setSelection(TextRange selection);
    bool hasText() const { return text_.has_value(); }
    std::string text() const { return text_.value_or(""); }
    TextRange selection() const { return selection_; }
    // Return presses in a single-line field.
    int submitCount() const { return submitCount_; }

    // --- What a toolkit does with keys
    // Removes the selection, or the user-perceived character before the caret.
    void deleteBackward();
    void insertText(const std::string& text);
    void submit() { ++submitCount_; }
    void moveCaretLeft();
    // Shift+Left: the selection grows by the character before it, its end staying put.
    void extendSelectionLeft();
    void moveCaretRight();

    // --- Used by the application element
    void setFocusedElement(const SimulatedElementRef& element) { focusedElement_ = element; }
    SimulatedElementRef focusedElementOfApplication() const { return focusedElement_.lock(); }
    void setFocusedWindowOfApplication(const SimulatedElementRef& window) {
        focusedWindow_ = window;
    }
    void setApplication(const std::weak_ptr<SimulatedElement>& application) {
        application_ = application;
    }

    // --- AccessibilityElement
    AccessibilityResult<AccessibilityRole> role() const override;
    AccessibilityResult<std::string> identifier() const override;
    AccessibilityResult<std::string> description() const override;
    AccessibilityResult<bool> isFocused() const override;
    AccessibilityResult<AccessibilityElementRef> focusedWindow() const override;
    AccessibilityResult<std::vector<AccessibilityElementRef>> children() const override;
    AccessibilityResult<TextRange> selectedTextRange() const override;
    AccessibilityResult<std::string> selectedText() const override;
    AccessibilityResult<std::string> value() const override;
    AccessibilityResult<std::int64_t> numberOfCharacters() const override;
    AccessibilityResult<bool> isValueSettable() const override;
    AccessibilityResult<bool> isSelectedTextSettable() const override;
    AccessibilityResult<std::string> stringForRange(TextRange range) const override;
    AccessibilityStatus setSelectedTextRange(TextRange range) override;
    AccessibilityStatus setSelectedText(const std::string& text) override;
    AccessibilityResult<std::int32_t> processIdentifier() const override;

    // Whether the element has focus in its application (without any access check).
    bool hasFocus() const;
    bool refusesText(std::string_view text) const;

  private:
    // Counts the access and runs the hook; a status when the access is refused.
    std::optional<AccessibilityStatus> refusal(const std::string& attribute) const;
    template <typename T>
    AccessibilityResult<T> readText(const std::string& attribute, bool supported,
                                    const auto& produce) const;
    void replaceRange(TextRange range, const std::string& text);
    bool isValidRange(TextRange range) const;

    std::weak_ptr<SimulatedAccessibilityEnvironment> environment_;
    std::int32_t processIdentifier_;
    std::optional<AccessibilityRole> role_;
    std::optional<std::string> identifier_;
    std::optional<std::string> description_;
    bool valueSettable_ = false;
    bool selectedTextSettable_ = false;
    SimulatedElementQuirks quirks_;
    std::optional<std::string> text_;
    TextRange selection_;
    int submitCount_ = 0;
    std::weak_ptr<SimulatedElement> parent_;
    std::weak_ptr<SimulatedElement> application_;
    std::vector<SimulatedElementRef> children_;
    std::weak_ptr<SimulatedElement> focusedElement_;
    std::weak_ptr<SimulatedElement> focusedWindow_;
};

}  // namespace plovik
