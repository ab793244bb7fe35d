#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/ShortcutProbe.h"
#include "platform/x11/XcbHandles.h"

namespace plovik {

// Probes a combination on the X server by grabbing it on the root window, for an instant,
// in every Caps Lock and Num Lock state, both as a core key grab and as an XInput2 grab
// (the two kinds do not see each other). The server refuses a grab another client holds.
class XcbShortcutProbe final : public ShortcutProbe {
  public:
    // Whether this program's own key capture holds the combination. Its grabs come from
    // another connection, so the server would refuse the probe as if a stranger held them.
    using OwnGrabs = std::function<bool(Key key, Modifiers modifiers)>;

    // The display named, or $DISPLAY when absent. Without a server every combination
    // counts as taken. A combination this program holds counts as free and is not touched.
    explicit XcbShortcutProbe(const std::optional<std::string>& displayName = std::nullopt,
                              OwnGrabs ownGrabs = nullptr);

    bool isTaken(Key key, Modifiers modifiers) override;

  private:
    // The modifier bits the server uses for Alt, Super and Num Lock.
    struct ModifierMasks {
        std::uint16_t alt = XCB_MOD_MASK_1;
        std::uint16_t super = XCB_MOD_MASK_4;
        std::uint16_t numLock = XCB_MOD_MASK_2;
    };

    ModifierMasks readModifierMasks() const;
    static std::uint16_t maskOf(Modifiers modifiers, const ModifierMasks& masks);
    static std::vector<std::uint16_t> lockVariants(std::uint16_t mask, std::uint16_t numLock);
    bool coreGrabRefused(std::uint8_t keycode, const std::vector<std::uint16_t>& masks) const;
    bool inputGrabRefused(std::uint8_t keycode, const std::vector<std::uint16_t>& masks) const;
    bool inputGrabRefused(std::uint16_t device, std::uint8_t keycode,
                          const std::vector<std::uint16_t>& masks) const;
    std::vector<std::uint16_t> masterKeyboards() const;

    xcb::Connection connection_;
    OwnGrabs ownGrabs_;
    xcb_window_t root_ = XCB_NONE;
    bool hasInput2_ = false;
};

}  // namespace plovik
