#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/platform/Accessibility.h"
#include "core/platform/KeyCapture.h"
#include "core/replacement/FocusedElementService.h"
#include "core/replacement/ReentrancyGuard.h"
#include "core/replacement/SyntheticKeyboardService.h"
#include "core/replacement/TextReplacementResult.h"

namespace plovik {

// Reads the text the user selected in the focused field, and puts other text in its place,
// selected in turn so that the user sees what changed and can ask again. A range is only
// written while the field holds exactly the text read there; through accessibility where
// the field takes it, by typing over the selection where the application needs keys.
class SelectionConverterService final {
  public:
    static constexpr const char* kChangedMessage =
        "The text changed before Plovik could convert it. Nothing was changed.";
    static constexpr const char* kTooLongMessage =
        "The selection is too long to convert. Nothing was changed.";
    // In code points; a whole document is not retyped key by key.
    static constexpr std::int64_t kMaximumLength = 10'000;

    // Text of the focused field as it was read.
    struct FieldText {
        TextRange range;
        std::string text;

        bool operator==(const FieldText&) const = default;
    };

    SelectionConverterService(FocusedElementService& focusedElementService,
                              SyntheticKeyboardService& syntheticKeyboard,
                              ReentrancyGuard& reentrancyGuard,
                              const KeyCaptureFactory& keyPresses);

    // The selection of the focused field when there is one and Plovik may touch the field.
    std::optional<FieldText> selection();
    // Puts `replacement` in place of `read` and selects it, when the field still holds
    // `read` there, and, with `whileSelected`, still has exactly that range selected.
    // Nothing is written once the user has pressed a key after `askedAt`. Never throws.
    TextReplacementResult replace(const FieldText& read, const std::string& replacement,
                                  bool whileSelected, KeyPressNumber askedAt);

  private:
    enum class Outcome { replaced, keyboardFallback, cancelled };

    TextReplacementResult replaceInGuard(const FocusedElementContext& context,
                                         const FieldText& read, const std::string& replacement,
                                         bool whileSelected, KeyPressNumber askedAt);
    static bool holds(const AccessibilityElement& element, const FieldText& read,
                      bool whileSelected);
    static Outcome write(AccessibilityElement& element, const FieldText& read,
                         const std::string& replacement);
    // Typing replaces a selection in every toolkit; Shift+Left then selects what was typed.
    bool typeOver(const std::string& replacement);

    FocusedElementService& focusedElementService_;
    SyntheticKeyboardService& syntheticKeyboard_;
    ReentrancyGuard& reentrancyGuard_;
    const KeyCaptureFactory& keyPresses_;
};

}  // namespace plovik
