#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/XkbHandles.h"
#include "platform/x11/X11Connection.h"

namespace plovik {

// The core keyboard's key map and modifier/group state as the server holds them,
// kept current from XKB events (xkbcommon-x11), with a compose state for dead keys.
// Used by one thread at a time.
class X11KeyboardState {
  public:
    enum class Change { none, state, keymap };

    // X's real modifier bits.
    static constexpr std::uint32_t kShiftMask = XCB_MOD_MASK_SHIFT;
    static constexpr std::uint32_t kLockMask = XCB_MOD_MASK_LOCK;
    static constexpr std::uint32_t kControlMask = XCB_MOD_MASK_CONTROL;
    static constexpr std::uint32_t kAltMask = XCB_MOD_MASK_1;
    static constexpr std::uint32_t kNumLockMask = XCB_MOD_MASK_2;
    static constexpr std::uint32_t kSuperMask = XCB_MOD_MASK_4;
    static constexpr std::uint32_t kLevelThreeMask = XCB_MOD_MASK_5;

    // Where the modifiers come from. The server's state events lag behind raw key
    // events while a grab freezes the keyboard, so a capture follows the keys itself
    // and takes only group and lock changes made without keys from the server.
    enum class Tracking { serverState, rawKeys };

    // Throws std::runtime_error when the server's key map cannot be read.
    // `composeFile` may be empty: dead keys then compose nothing.
    X11KeyboardState(const X11Connection& connection, const std::string& composeFile,
                     Tracking tracking = Tracking::serverState);

    // Asks the server for the XKB events handle() follows.
    void selectEvents();
    // Follows one event; anything that is not an XKB event of the core keyboard is `none`.
    Change handle(const xcb_generic_event_t& event);
    // Reads the key map and state again.
    void reload();

    // A raw key event, followed in rawKeys tracking.
    void keyMoved(std::uint32_t keycode, bool isDown);
    // The effective real modifiers and the locked group, as last reported.
    std::uint32_t modifiers() const;
    std::uint32_t lockedGroup() const;
    // The key whose press or release made the last state change, or 0.
    std::uint32_t lastStateChangeKeycode() const { return lastStateChangeKeycode_; }
    // What a press of the key types now; a dead key starts a composition and types
    // nothing. `composes` false leaves the composition alone (keys held back by a grab).
    std::string typedText(std::uint32_t keycode, bool composes);
    xkb_keymap& keymap() const { return *keymap_; }
    xkb_state& state() const { return *state_; }

  private:
    void followKeysDown(xkb_state& state) const;

    const X11Connection& connection_;
    const Tracking tracking_;
    std::uint32_t lastStateChangeKeycode_ = 0;
    xkb::Context context_;
    xkb::Keymap keymap_;
    xkb::State state_;
    xkb::ComposeTable composeTable_;
    xkb::ComposeState compose_;
    // In rawKeys tracking: the keys down, in the order pressed.
    std::vector<std::uint32_t> keysDown_;
};

}  // namespace plovik
