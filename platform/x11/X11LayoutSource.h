#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/LayoutSource.h"
#include "core/support/Published.h"
#include "platform/linux/XkbKeymapLibrary.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11EventPump.h"
#include "platform/x11/X11KeyboardState.h"

namespace plovik {

// The session's XKB groups as input sources: the layouts and variants of
// _XKB_RULES_NAMES in group order, selected by locking a group. Changes come from
// XKB state and keyboard events, so setxkbmap at run time re-reads the list.
// An input-method framework in the session is listed as a source of its own that
// Plovik cannot use. Main thread only.
class X11LayoutSource final : public LayoutSource {
  public:
    static constexpr const char* kInputMethodType = "input method";

    // `environment` answers getenv-like lookups (the input-method variables).
    X11LayoutSource(const X11Connection& connection, X11EventPump& pump, X11KeyboardState& keyboard,
                    XkbKeymapLibrary& keymaps,
                    std::function<std::optional<std::string>(const char*)> environment);

    std::vector<InputSource> enabledKeyboardSources() const override;
    std::optional<InputSource> installedSource(std::string_view id) const override;
    std::optional<std::string> currentSourceId() const override;
    bool select(const InputSource& source) override;
    [[nodiscard]] Subscription observeSelectionChanges(std::function<void()> handler) override;

    // The group layouts' ids, in group order.
    const std::vector<std::string>& groupIds() const { return groupIds_; }
    // "ibus" or "fcitx" when the session routes typing through one.
    std::optional<std::string> inputMethodFramework() const;
    // Reads the group list again.
    void reload();
    // Group changes made by these keys are Plovik's own typing, no choice of the user's.
    void ignoreGroupChangesBy(std::function<bool(std::uint32_t keycode)> isOwnGroupKey) {
        isOwnGroupKey_ = std::move(isOwnGroupKey);
    }

  private:
    std::function<bool(std::uint32_t)> isOwnGroupKey_;
    bool ownGroupLocked_ = false;
    void handle(const xcb_generic_event_t& event);
    std::optional<std::uint32_t> lockedGroupFromServer() const;

    const X11Connection& connection_;
    X11KeyboardState& keyboard_;
    XkbKeymapLibrary& keymaps_;
    std::function<std::optional<std::string>(const char*)> environment_;
    std::vector<std::string> groupIds_;
    std::uint32_t lastGroup_ = 0;
    Published<std::uint64_t> changes_{0};
};

}  // namespace plovik
