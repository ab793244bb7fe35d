#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/replacement/FocusedElementService.h"
#include "core/replacement/ReentrancyGuard.h"
#include "core/replacement/SyntheticKeyboardService.h"
#include "core/replacement/TextReplacementService.h"
#include "platform/simulated/SimulatedDesktop.h"

namespace plovik::testing {

// The replacement services wired to a simulated desktop with one text editor in front.
struct ReplacementFixture {
    static constexpr std::int32_t kEditorPid = 100;

    SimulatedDesktop desktop;
    FocusedElementService focusService{desktop.accessibility(), desktop.workspace()};
    SyntheticKeyboardService keyboard{desktop.eventPoster()};
    ReentrancyGuard guard;
    TextReplacementService service{focusService, keyboard, guard, desktop.keyEventTapFactory(),
                                   desktop.keyboardHolder()};
    std::shared_ptr<SimulatedApplication> editor =
        desktop.launch("org.gnome.gedit", "Text Editor", kEditorPid);
    // Every key-down event that reached the tap.
    std::vector<KeyEvent> tapped;
    std::unique_ptr<KeyCapture> tap =
        desktop.keyEventTapFactory().createTap([this](const KeyEvent& event) {
            tapped.push_back(event);
            return KeyDisposition::pass;
        });

    ReplacementFixture() {
        desktop.activate(kEditorPid);
        tap->setEnabled(true);
    }

    // A focused field in the editor holding `text` with the caret at its end.
    SimulatedElementRef field(const std::string& text,
                              AccessibilityRole role = AccessibilityRole::singleLineText) {
        return desktop.addFocusedTextField(*editor, text, role);
    }

    // A focused field in a new frontmost application.
    SimulatedElementRef fieldIn(const std::string& bundleIdentifier, std::int32_t pid,
                                const std::string& text) {
        auto application = desktop.launch(bundleIdentifier, bundleIdentifier, pid);
        auto element = desktop.addFocusedTextField(*application, text);
        desktop.activate(pid);
        return element;
    }

    const std::vector<SyntheticKeyEvent>& posted() const {
        return desktop.eventPoster().postedEvents();
    }
};

}  // namespace plovik::testing
