#include "platform/simulated/SimulatedApplication.h"

namespace plovik {

SimulatedApplication::SimulatedApplication(
    RunningApplication info, std::weak_ptr<SimulatedAccessibilityEnvironment> environment)
    : info_(std::move(info)),
      element_(std::make_shared<SimulatedElement>(std::move(environment), info_.processIdentifier,
                                                  AccessibilityRole::other)) {
    element_->setApplication(element_);
    if (info_.localizedName) {
        element_->setDescription(info_.localizedName);
    }
}

SimulatedElementRef SimulatedApplication::addWindow() {
    auto window = element_->addChild(AccessibilityRole::other);
    if (element_->childElements().size() == 1) {
        element_->setFocusedWindowOfApplication(window);
    }
    return window;
}

SimulatedElementRef SimulatedApplication::addTextField(const SimulatedElementRef& window,
                                                       const std::string& text,
                                                       AccessibilityRole role) {
    auto field = window->addChild(AccessibilityRole::other)->addChild(role);
    field->setText(text);
    field->setValueSettable(true);
    field->setSelectedTextSettable(true);
    return field;
}

bool SimulatedApplication::focus(const SimulatedElementRef& element) {
    if (!element || element->application() != element_) {
        return false;
    }
    auto window = element;
    while (window->parent() && window->parent() != element_) {
        window = window->parent();
    }
    element_->setFocusedElement(element);
    if (window != element_) {
        element_->setFocusedWindowOfApplication(window);
    }
    return true;
}

void SimulatedApplication::clearFocus() {
    element_->setFocusedElement(nullptr);
}

SimulatedElementRef SimulatedApplication::focusedElement() const {
    return element_->focusedElementOfApplication();
}

}  // namespace plovik
