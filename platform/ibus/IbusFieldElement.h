#pragma once

#include <cstdint>
#include <optional>

#include "core/platform/Accessibility.h"
#include "platform/ibus/IbusField.h"
#include "platform/ibus/IbusFieldEditor.h"

namespace plovik {

// The focused field as its engine described it at one moment: every read answers from
// that description, so that one replacement sees one consistent text. Selecting the
// word before the caret and setting the selected text has the engine replace it, with
// the text before it as the engine must still find it. A refused replacement leaves
// the element unreadable: nothing may then be tried on the text it described.
class IbusFieldElement final : public AccessibilityElement {
  public:
    // Code points before the replaced text that the engine must find unchanged too.
    static constexpr std::int64_t kCheckedContext = 16;

    IbusFieldElement(IbusField field, IbusFieldEditor& editor,
                     std::optional<std::int32_t> processIdentifier);

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

    // Why the last replacement was refused, if it was.
    const std::optional<std::string>& refusal() const { return refusal_; }

  private:
    const IbusField& field() const;
    const IbusField::Text* readableText() const;
    TextRange caret() const;

    IbusField field_;
    IbusFieldEditor& editor_;
    std::optional<std::int32_t> processIdentifier_;
    std::optional<TextRange> selection_;
    std::optional<std::string> refusal_;
};

}  // namespace plovik
