#include "app/ui/SampleDesktopIntegration.h"

namespace plovik::ui {

DesktopIntegration::Status SampleDesktopIntegration::status() {
    return {isOn_, true, {"English (US)", "Russian"}, std::nullopt};
}

std::optional<std::string> SampleDesktopIntegration::turnOn() {
    isOn_ = true;
    return std::nullopt;
}

std::optional<std::string> SampleDesktopIntegration::turnOff() {
    isOn_ = false;
    return std::nullopt;
}

bool SampleDesktopIntegration::desktopTakes(const ShortcutDefinition& shortcut) {
    return !windowMenuFreed_ && shortcut == ShortcutDefinition::altSpace();
}

bool SampleDesktopIntegration::freeForPlovik(const ShortcutDefinition& shortcut) {
    windowMenuFreed_ = windowMenuFreed_ || shortcut == ShortcutDefinition::altSpace();
    return windowMenuFreed_;
}

}  // namespace plovik::ui
