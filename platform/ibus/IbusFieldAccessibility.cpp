#include "platform/ibus/IbusFieldAccessibility.h"

#include <memory>

#include "platform/ibus/IbusFieldElement.h"

namespace plovik {

IbusFieldAccessibility::IbusFieldAccessibility(IbusEngineLink& link, IbusFieldEditor& editor,
                                               ProcessLookup focusedProcess)
    : link_(link), editor_(editor), focusedProcess_(std::move(focusedProcess)) {}

AccessibilityResult<AccessibilityElementRef> IbusFieldAccessibility::systemWideFocusedElement()
    const {
    const auto& field = editor_.field();
    if (!link_.isConnected() || !field || !field->focused) {
        return AccessibilityResult<AccessibilityElementRef>::failure(AccessibilityStatus::noValue);
    }
    return AccessibilityResult<AccessibilityElementRef>::success(std::make_shared<IbusFieldElement>(
        *field, editor_, focusedProcess_ ? focusedProcess_() : std::nullopt));
}

AccessibilityElementRef IbusFieldAccessibility::applicationElement(std::int32_t) const {
    return nullptr;
}

bool IbusFieldAccessibility::isProcessTrusted() const {
    return link_.isConnected();
}

bool IbusFieldAccessibility::isProcessTrusted(bool) {
    return link_.isConnected();
}

}  // namespace plovik
