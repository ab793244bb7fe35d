#pragma once

#include <glib.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "FixtureWindow.h"
#include "platform/atspi/AtspiAccessibility.h"
#include "platform/atspi/AtspiConnection.h"
#include "platform/atspi/AtspiFocusTracker.h"
#include "platform/virtualsession/VirtualSession.h"

namespace plovik::testing {

// Serves the default GLib main context (where libatspi delivers events) until `done`
// holds or `timeout` passes.
inline bool pumpUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

inline void pumpFor(std::chrono::milliseconds duration) {
    pumpUntil([] { return false; }, duration);
}

// A session with this process connected to its accessibility bus. libatspi keeps one
// connection per process, so each test program process gets one desktop.
struct AtspiDesktop {
    VirtualSession session;
    std::unique_ptr<AtspiAccessibility> accessibility;
    const AtspiConnection* connection = nullptr;
    AtspiFocusTracker* tracker = nullptr;

    explicit AtspiDesktop(std::chrono::milliseconds callTimeout = std::chrono::milliseconds(200))
        : session() {
        session.exportToThisProcess();
        accessibility = std::make_unique<AtspiAccessibility>(callTimeout);
        connection = accessibility->connection();
        tracker = accessibility->focusTracker();
    }

    // The focused object once it belongs to `pid` and has `name`.
    std::optional<AtspiObject> waitForFocus(
        pid_t pid, const std::string& name,
        std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        std::optional<AtspiObject> found;
        pumpUntil(
            [&] {
                found = tracker->focused();
                return found && found->processId() == pid && found->name() == name;
            },
            timeout);
        return found && found->processId() == pid && found->name() == name ? found : std::nullopt;
    }
};

// The process's one desktop, started on first use: libatspi cannot move to another bus
// once connected. Absent with `whyNot` set when it cannot start; `toolMissing` tells
// whether that is because a program is not installed.
inline AtspiDesktop* sharedDesktop(std::string& whyNot, bool& toolMissing) {
    static std::unique_ptr<AtspiDesktop> desktop;
    static std::string failure;
    static bool missing = false;
    if (!desktop && failure.empty()) {
        try {
            desktop = std::make_unique<AtspiDesktop>();
            if (!desktop->connection) {
                failure = "the accessibility bus does not answer";
                desktop.reset();
            }
        } catch (const VirtualSessionError& error) {
            failure = error.what();
            missing = error.toolMissing();
        }
    }
    whyNot = failure;
    toolMissing = missing;
    return desktop.get();
}

}  // namespace plovik::testing
