#pragma once

#include <memory>
#include <optional>
#include <string>

#include "core/platform/ActiveApplication.h"
#include "platform/simulated/SimulatedElement.h"

namespace plovik {

// A running application of the simulated desktop: its identity, its element tree
// (application element, windows, their descendants) and which element has focus.
class SimulatedApplication {
  public:
    SimulatedApplication(RunningApplication info,
                         std::weak_ptr<SimulatedAccessibilityEnvironment> environment);

    const RunningApplication& info() const { return info_; }
    std::int32_t processIdentifier() const { return info_.processIdentifier; }

    SimulatedElementRef applicationElement() const { return element_; }
    // A new window; the first one becomes the focused window.
    SimulatedElementRef addWindow();
    // A text field with the given role in a new group of the window, holding `text`
    // with the caret at its end, value and selected text settable.
    SimulatedElementRef addTextField(const SimulatedElementRef& window, const std::string& text,
                                     AccessibilityRole role = AccessibilityRole::singleLineText);

    // Gives keyboard focus to an element of this application (false for a stranger)
    // and makes its window the focused window.
    bool focus(const SimulatedElementRef& element);
    void clearFocus();
    SimulatedElementRef focusedElement() const;

  private:
    RunningApplication info_;
    SimulatedElementRef element_;
};

}  // namespace plovik
