#pragma once

#include <cstdint>
#include <optional>

#include "core/platform/Accessibility.h"
#include "platform/fcitx5/Fcitx5ModuleClient.h"

namespace plovik {

// The focused field as the Fcitx5 module describes it: its kind from the field's input
// hints, and the text around the caret. Its text can only change before the caret: a
// selection may be chosen there and replaced, and the module makes that edit only while
// the text and the caret are still what this element shows and no key of the user has gone
// on since the element was made.
class Fcitx5FieldElement final : public AccessibilityElement {
  public:
    // `afterSequence`: the module's number of the latest press Plovik had seen.
    Fcitx5FieldElement(Fcitx5ModuleClient& module, Fcitx5ModuleClient::Field field,
                       std::uint64_t afterSequence, std::optional<std::int32_t> processIdentifier);

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

    // Fcitx5's capability bits that decide the field's kind.
    static constexpr std::uint64_t kPassword = 1ull << 3;
    static constexpr std::uint64_t kSurroundingText = 1ull << 6;
    static constexpr std::uint64_t kMultiline = 1ull << 35;
    static constexpr std::uint64_t kSensitive = 1ull << 36;

  private:
    const Fcitx5ModuleClient::Field& field() const;
    bool hasText() const;
    bool isSecret() const;
    std::int64_t caret() const;
    std::optional<std::string> text(std::int64_t from, std::int64_t to) const;

    Fcitx5ModuleClient& module_;
    mutable Fcitx5ModuleClient::Field field_;
    bool edited_ = false;
    std::uint64_t afterSequence_;
    std::optional<std::int32_t> processIdentifier_;
    // A range before the caret chosen to be replaced; the field's own selection stays.
    std::optional<TextRange> chosen_;
};

}  // namespace plovik
