#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "core/platform/Accessibility.h"
#include "platform/ibus/IbusEngineLink.h"
#include "platform/ibus/IbusFieldEditor.h"

namespace plovik {

// Accessibility as the engines give it: the focused element is the field the active
// engine serves, read from the text around the caret that its client reports and
// changed through the engine. Plovik may use it while the engines are connected.
class IbusFieldAccessibility final : public Accessibility {
  public:
    using ProcessLookup = std::function<std::optional<std::int32_t>()>;

    // `focusedProcess`: the process of the window in front, which owns the field.
    IbusFieldAccessibility(IbusEngineLink& link, IbusFieldEditor& editor,
                           ProcessLookup focusedProcess);

    AccessibilityResult<AccessibilityElementRef> systemWideFocusedElement() const override;
    AccessibilityElementRef applicationElement(std::int32_t processIdentifier) const override;
    bool isProcessTrusted() const override;
    bool isProcessTrusted(bool prompt) override;

  private:
    IbusEngineLink& link_;
    IbusFieldEditor& editor_;
    ProcessLookup focusedProcess_;
};

}  // namespace plovik
