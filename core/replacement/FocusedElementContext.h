#pragma once

#include <optional>
#include <string>

#include "core/platform/Accessibility.h"

namespace plovik {

// The element that has keyboard focus, and whether Plovik may touch its text.
struct FocusedElementContext {
    AccessibilityElementRef element;
    AccessibilityRole role = AccessibilityRole::other;
    bool isEditable = false;
    bool isSecure = false;
    bool isAppSpecificExcludedField = false;
    std::optional<std::string> applicationBundleIdentifier;

    bool canProcessText() const { return isEditable && !isSecure && !isAppSpecificExcludedField; }

    bool operator==(const FocusedElementContext&) const = default;
};

}  // namespace plovik
