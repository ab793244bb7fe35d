#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "core/platform/EventPoster.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11ExpectedKeys.h"
#include "platform/x11/X11KeyboardState.h"

namespace plovik {

// Types keys and text through XTest as the user's keyboard would, in the group
// that is locked now. A character no key of that group types gets a spare key
// code of its own, bound once and kept for the whole run (rebinding while a
// client still translates earlier presses types garbage); the bindings are
// restored when the injector goes. Every press is announced to the expected-key
// queue first, so that the capture recognises it as ours.
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
    // Presses the keys that type the text in `group`, whatever group is locked: what
    // a user does who types with another layout in mind. False (nothing pressed) when
    // the group cannot type some character.
    bool pressKeysOf(std::string_view text, std::uint32_t group);
    std::size_t boundSpareCount() const { return bound_.size(); }
    // The key (X key code) that types the character in `group`, and whether it needs Shift.
    std::optional<std::pair<std::uint32_t, bool>> keyOf(char32_t character,
                                                        std::uint32_t group) const;
    // The key code of the left Shift key.
    std::optional<std::uint32_t> shiftKeycode() const;
    // Posts one event: its key, or the text it carries (on the press; its release has
    // nothing left to do). False when the text could not be typed.
    bool post(const SyntheticKeyEvent& event);

    // One key event as sent to the server.
    struct FakedKey {
        std::uint32_t keycode;
        bool isPress;
    };
    // Records every key event sent from now on, until takeLog().
    void startLog();
    std::vector<FakedKey> takeLog();

  private:
    struct Stroke {
        std::uint32_t keycode;
        std::uint32_t modifiers;
    };

    std::optional<Stroke> strokeFor(char32_t character);
    bool pressAll(std::string_view text,
                  const std::function<std::optional<Stroke>(char32_t)>& strokeOf);
    std::optional<Stroke> keyFor(char32_t character, std::uint32_t group) const;
    std::optional<std::uint32_t> spareFor(char32_t character);
    std::optional<std::uint32_t> modifierKey(std::uint32_t modifier) const;
    void fake(std::uint8_t type, std::uint32_t keycode);
    void findSpareKeycodes();

    const X11Connection& connection_;
    X11KeyboardState& keyboard_;
    X11ExpectedKeys& expectedKeys_;
    std::vector<std::uint32_t> spare_;
    std::map<char32_t, std::uint32_t> bound_;
    std::optional<std::vector<FakedKey>> log_;
    // Modifier keys pressed for a key, released with it.
    std::map<std::uint32_t, std::vector<std::uint32_t>> heldFor_;
};

}  // namespace plovik
