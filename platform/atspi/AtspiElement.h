#pragma once

#include <optional>
#include <string>
#include <utility>

#include "core/platform/Accessibility.h"
#include "platform/atspi/AtspiObject.h"

namespace plovik {

// The accessibility port's view of one AT-SPI object. AtspiObject already speaks code
// points whatever the toolkit counts, so ranges pass through unchanged.
// A range chosen to be replaced is kept here, not selected in the application:
// EditableText takes the range itself, a selection would replace the user's primary
// selection, and GTK 4.8 never answers AddSelection (the call times out and the
// application is left alone while the word stands selected). From then on the caret is
// the application's: a key the user types during the edit lands after the new text, and
// putting the caret "back" would move it before that key.
class AtspiElement final : public AccessibilityElement {
  public:
    explicit AtspiElement(AtspiObject object) : object_(std::move(object)) {}

    const AtspiObject& object() const { return object_; }

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
    AccessibilityStatus selectTextRange(TextRange range) override;

  private:
    std::optional<CodePointRange> currentSelection() const;
    // Inserts the erased text again when the field shows it erased and nothing put in;
    // whether the field is as it was.
    bool putBackRefused(const std::string& after, const std::pair<std::string, std::string>& around,
                        const std::string& before, CodePointRange erased);

    AtspiObject object_;
    // The range chosen to be replaced; absent: the application's own selection.
    std::optional<CodePointRange> chosenRange_;
    bool leavesCaret_ = false;
    // The whole text the chosen range was read from, when reading it took the whole
    // text: the write goes by the same reading the caller checked.
    mutable std::optional<std::string> chosenFrom_;
    // The whole text right after the latest write that took, to find the caret the
    // application then placed without reading the text again.
    std::optional<std::string> written_;
};

}  // namespace plovik
