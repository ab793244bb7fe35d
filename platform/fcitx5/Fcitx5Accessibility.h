#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "core/platform/Accessibility.h"
#include "platform/fcitx5/Fcitx5ModuleClient.h"

namespace plovik {

// The accessibility port through the Fcitx5 module: the focused element is the field the
// input method serves, whatever toolkit draws it. Trusted while the module is connected.
class Fcitx5Accessibility final : public Accessibility {
  public:
    // The process of the application in front, which owns the focused field.
    using FrontProcess = std::function<std::optional<std::int32_t>()>;

    Fcitx5Accessibility(Fcitx5ModuleClient& module, FrontProcess frontProcess);

    AccessibilityResult<AccessibilityElementRef> systemWideFocusedElement() const override;
    AccessibilityElementRef applicationElement(std::int32_t processIdentifier) const override;
    bool isProcessTrusted() const override;
    bool isProcessTrusted(bool prompt) override;

  private:
    Fcitx5ModuleClient& module_;
    FrontProcess frontProcess_;
};

}  // namespace plovik
