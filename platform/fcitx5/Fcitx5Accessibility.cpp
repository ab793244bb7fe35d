#include "platform/fcitx5/Fcitx5Accessibility.h"

#include <memory>

#include "platform/fcitx5/Fcitx5FieldElement.h"

namespace plovik {

Fcitx5Accessibility::Fcitx5Accessibility(Fcitx5ModuleClient& module, FrontProcess frontProcess)
    : module_(module), frontProcess_(std::move(frontProcess)) {}

AccessibilityResult<AccessibilityElementRef> Fcitx5Accessibility::systemWideFocusedElement() const {
    // Read first: a press the module numbered later is one the element must not ignore.
    const std::uint64_t latest = module_.latestSequence();
    auto field = module_.focusedField();
    if (!field || !field->focus.focused) {
        return AccessibilityResult<AccessibilityElementRef>::failure(AccessibilityStatus::noValue);
    }
    return AccessibilityResult<AccessibilityElementRef>::success(
        std::make_shared<Fcitx5FieldElement>(module_, std::move(*field), latest,
                                             frontProcess_ ? frontProcess_() : std::nullopt));
}

AccessibilityElementRef Fcitx5Accessibility::applicationElement(std::int32_t) const {
    return nullptr;
}

bool Fcitx5Accessibility::isProcessTrusted() const {
    return module_.isConnected();
}

bool Fcitx5Accessibility::isProcessTrusted(bool) {
    return module_.isConnected() || !module_.connect();
}

}  // namespace plovik
