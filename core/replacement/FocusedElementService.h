#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/platform/Accessibility.h"
#include "core/platform/ActiveApplication.h"
#include "core/replacement/FocusedElementContext.h"

namespace plovik {

// Finds the element with keyboard focus in the frontmost application, describes it,
// and reads the word before its caret.
class FocusedElementService {
  public:
    // The element last found by the descendant search, and the process it belongs to.
    struct CachedDescendantFocus {
        std::int32_t processIdentifier = 0;
        AccessibilityElementRef element;

        bool operator==(const CachedDescendantFocus&) const = default;
    };

    // Bounds of the descendant search.
    static constexpr std::size_t kFocusSearchElementLimit = 3000;
    static constexpr std::size_t kFocusSearchMaxParentDepth = 63;
    // How far back from the caret the visible word is looked for, in code points.
    static constexpr std::int64_t kVisibleTextWindow = 256;

    FocusedElementService(const Accessibility& accessibility, const ActiveApplication& workspace);

    std::optional<FocusedElementContext> focusedElement();
    std::optional<std::string> visibleTextSinceWhitespaceBeforeCaret(
        const FocusedElementContext& context) const;
    // The same word, found in the text before a caret as the field reading finds it; shared
    // with the replay so that both abandon a word on the same evidence.
    static std::string textSinceWhitespace(std::string_view textBeforeCaret);

    const std::optional<CachedDescendantFocus>& cachedDescendantFocus() const {
        return cachedDescendantFocus_;
    }

  private:
    AccessibilityElementRef findFocusedElement();
    AccessibilityElementRef descendantFocus(const RunningApplication& application);
    AccessibilityElementRef focusedDescendant(const AccessibilityElementRef& window) const;
    FocusedElementContext context(const AccessibilityElementRef& element) const;
    std::optional<std::string> owningBundleIdentifier(const AccessibilityElement& element) const;

    const Accessibility& accessibility_;
    const ActiveApplication& workspace_;
    std::optional<CachedDescendantFocus> cachedDescendantFocus_;
};

}  // namespace plovik
