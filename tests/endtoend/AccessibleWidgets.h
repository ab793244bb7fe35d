#pragma once

#include <atspi/atspi.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/GObjectRef.h"

namespace plovik::testing {

// Where a user sees a widget of one running program, found through AT-SPI as a screen
// reader finds it: by role and name among the parts of the program that are showing.
class AccessibleWidgets {
  public:
    struct Widget {
        std::string role;
        std::string name;
        int x = 0, y = 0, width = 0, height = 0;
        bool checked = false;

        int centreX() const { return x + width / 2; }
        int centreY() const { return y + height / 2; }
    };

    // The accessibility bus of the display this process was pointed at.
    static bool connect() {
        if (atspi_init() > 1) {
            return false;
        }
        // A busy machine answers slowly; waiting is fine here, a test is no keyboard.
        atspi_set_timeout(5000, 10000);
        return true;
    }

    explicit AccessibleWidgets(pid_t program) : program_(program) {}

    // Every showing widget of the program, top-level windows included.
    std::vector<Widget> showing() const {
        std::vector<Widget> found;
        for (const auto& application : applications()) {
            atspi_accessible_clear_cache(application.get());
            collect(application.get(), 0, found);
        }
        return found;
    }

    std::optional<Widget> find(const std::string& role, const std::string& name) const {
        for (auto& widget : showing()) {
            if (widget.role == role && widget.name == name) {
                return widget;
            }
        }
        return std::nullopt;
    }

    int count(const std::string& role, const std::string& name) const {
        int matches = 0;
        for (const auto& widget : showing()) {
            matches += widget.role == role && widget.name == name ? 1 : 0;
        }
        return matches;
    }

    // Looks again until the widget shows; absent when it does not within the time.
    std::optional<Widget> waitFor(const std::string& role, const std::string& name,
                                  std::chrono::milliseconds timeout) const {
        std::optional<Widget> widget;
        waitUntil([&] { return (widget = find(role, name)).has_value(); }, timeout);
        return widget;
    }

    static bool waitUntil(const std::function<bool()>& condition,
                          std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return true;
    }

    // "role 'name'" of every showing widget, for a failure message.
    std::string describe() const {
        std::string text;
        for (const auto& widget : showing()) {
            text += widget.role + " '" + widget.name + "'\n";
        }
        return text;
    }

  private:
    static constexpr int kDepthLimit = 40;

    std::vector<GObjectRef<AtspiAccessible>> applications() const {
        std::vector<GObjectRef<AtspiAccessible>> found;
        const auto desktop = GObjectRef<AtspiAccessible>::adopt(atspi_get_desktop(0));
        const int count = atspi_accessible_get_child_count(desktop.get(), nullptr);
        for (int index = 0; index < count; ++index) {
            auto application = GObjectRef<AtspiAccessible>::adopt(
                atspi_accessible_get_child_at_index(desktop.get(), index, nullptr));
            if (application && atspi_accessible_get_process_id(application.get(), nullptr) ==
                                   static_cast<guint>(program_)) {
                found.push_back(std::move(application));
            }
        }
        return found;
    }

    static void collect(AtspiAccessible* object, int depth, std::vector<Widget>& found) {
        if (depth > kDepthLimit) {
            return;
        }
        const auto states =
            GObjectRef<AtspiStateSet>::adopt(atspi_accessible_get_state_set(object));
        const bool isApplication =
            atspi_accessible_get_role(object, nullptr) == ATSPI_ROLE_APPLICATION;
        if (!isApplication &&
            (!states || !atspi_state_set_contains(states.get(), ATSPI_STATE_SHOWING))) {
            return;
        }
        if (!isApplication) {
            found.push_back(describe(object, states.get()));
        }
        const int count = atspi_accessible_get_child_count(object, nullptr);
        for (int index = 0; index < count; ++index) {
            const auto child = GObjectRef<AtspiAccessible>::adopt(
                atspi_accessible_get_child_at_index(object, index, nullptr));
            if (child) {
                collect(child.get(), depth + 1, found);
            }
        }
    }

    static Widget describe(AtspiAccessible* object, AtspiStateSet* states) {
        Widget widget;
        widget.role = takeString(atspi_accessible_get_role_name(object, nullptr));
        widget.name = takeString(atspi_accessible_get_name(object, nullptr));
        widget.checked = atspi_state_set_contains(states, ATSPI_STATE_CHECKED);
        const auto component =
            GObjectRef<AtspiComponent>::adopt(atspi_accessible_get_component_iface(object));
        if (component) {
            if (AtspiRect* extents = atspi_component_get_extents(
                    component.get(), ATSPI_COORD_TYPE_SCREEN, nullptr)) {
                widget.x = extents->x;
                widget.y = extents->y;
                widget.width = extents->width;
                widget.height = extents->height;
                g_boxed_free(ATSPI_TYPE_RECT, extents);
            }
        }
        return widget;
    }

    pid_t program_;
};

}  // namespace plovik::testing
