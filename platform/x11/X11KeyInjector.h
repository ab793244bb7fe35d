#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11ExpectedKeys.h"
#include "platform/x11/X11KeyboardState.h"
#include "platform/x11/X11SpareKeycodes.h"

namespace plovik {

// Types keys and text through XTest as the user's keyboard would. A character the
// locked group lacks is typed with the key of a group that has it, that group latched
// for the one key in the same request stream: toolkits translate by the group each event
// carries, and the locked group, the user's layout, never changes. Only what no group
// types gets a spare key code, of which there are few. Every press is announced to the
// expected-key queue first, so that the capture recognises it as ours.
class X11KeyInjector {
  public:
    X11KeyInjector(const X11Connection& connection, X11KeyboardState& keyboard,
                   X11ExpectedKeys& expectedKeys);
    ~X11KeyInjector();
    X11KeyInjector(const X11KeyInjector&) = delete;
    X11KeyInjector& operator=(const X11KeyInjector&) = delete;

    // Presses or releases a key. A press first presses the modifier keys among
    // `modifiers` (real modifier bits) that it needs; its release lets them go.
    void key(std::uint32_t keycode, bool isDown, std::uint32_t modifiers = 0);
    // Types UTF-8 text; false (nothing typed) when some character has neither a key
    // nor a spare key code left.
    bool type(std::string_view text);
    // Whether type() can type the text now, binding the spare key codes it needs, so
    // that clients learn the new mapping before the keys come.
    bool prepare(std::string_view text);
    // Presses the keys that type the text in `group`, whatever group is locked: what
    // a user does who types with another layout in mind. False (nothing pressed) when
    // the group cannot type some character.
    bool pressKeysOf(std::string_view text, std::uint32_t group);
    std::size_t boundSpareCount() const { return spares_.boundCount(); }

  private:
    struct Stroke {
        std::uint32_t keycode;
        std::uint32_t modifiers;
        // The group the key is pressed in; absent: whichever is locked.
        std::optional<std::uint32_t> group;
    };
    using Strokes = std::vector<Stroke>;

    std::optional<Stroke> strokeFor(char32_t character, std::uint32_t lockedGroup);
    std::optional<Strokes> strokesOf(
        std::string_view text, const std::function<std::optional<Stroke>(char32_t)>& strokeOf);
    void pressAll(const Strokes& strokes, std::uint32_t lockedGroup);
    std::optional<Stroke> keyFor(char32_t character, std::uint32_t group) const;
    std::optional<std::uint32_t> modifierKey(std::uint32_t modifier) const;
    // Asked of the server: the keyboard state's copy may lag behind a switch just made.
    std::uint32_t lockedGroupOnServer() const;
    void latchGroup(std::uint32_t group, std::uint32_t lockedGroup);
    void fake(std::uint8_t type, std::uint32_t keycode);

    const X11Connection& connection_;
    X11KeyboardState& keyboard_;
    X11ExpectedKeys& expectedKeys_;
    X11SpareKeycodes spares_;
    // Modifier keys pressed for a key, released with it.
    std::map<std::uint32_t, std::vector<std::uint32_t>> heldFor_;
};

}  // namespace plovik
