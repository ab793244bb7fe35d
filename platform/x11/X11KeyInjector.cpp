#include "platform/x11/X11KeyInjector.h"

#include <unicode/utf8.h>
#include <xcb/xtest.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <utility>

#include "platform/x11/XcbXkb.h"

namespace plovik {

namespace {

constexpr std::uint32_t kReturnKeycode = 36;

// Malformed bytes become U+FFFD, which no key types: the text is refused whole.
std::vector<char32_t> codePoints(std::string_view text) {
    std::vector<char32_t> points;
    const auto length = static_cast<std::int32_t>(text.size());
    for (std::int32_t i = 0; i < length;) {
        UChar32 point = 0;
        U8_NEXT_OR_FFFD(text.data(), i, length, point);
        points.push_back(static_cast<char32_t>(point));
    }
    return points;
}

}  // namespace

X11KeyInjector::X11KeyInjector(const X11Connection& connection, X11KeyboardState& keyboard,
                               X11ExpectedKeys& expectedKeys)
    : connection_(connection),
      keyboard_(keyboard),
      expectedKeys_(expectedKeys),
      spares_(connection) {}

X11KeyInjector::~X11KeyInjector() = default;

void X11KeyInjector::fake(std::uint8_t type, std::uint32_t keycode) {
    if (type == XCB_KEY_PRESS) {
        expectedKeys_.expect(keycode);
    }
    xcb_test_fake_input(connection_.get(), type, static_cast<std::uint8_t>(keycode),
                        XCB_CURRENT_TIME, connection_.root(), 0, 0, 0);
}

std::optional<std::uint32_t> X11KeyInjector::modifierKey(std::uint32_t modifier) const {
    xkb_keysym_t wanted = XKB_KEY_NoSymbol;
    switch (modifier) {
        case X11KeyboardState::kShiftMask:
            wanted = XKB_KEY_Shift_L;
            break;
        case X11KeyboardState::kControlMask:
            wanted = XKB_KEY_Control_L;
            break;
        case X11KeyboardState::kAltMask:
            wanted = XKB_KEY_Alt_L;
            break;
        case X11KeyboardState::kSuperMask:
            wanted = XKB_KEY_Super_L;
            break;
        case X11KeyboardState::kLevelThreeMask:
            wanted = XKB_KEY_ISO_Level3_Shift;
            break;
        default:
            return std::nullopt;
    }
    xkb_keymap& keymap = keyboard_.keymap();
    for (xkb_keycode_t code = xkb_keymap_min_keycode(&keymap);
         code <= xkb_keymap_max_keycode(&keymap); ++code) {
        const xkb_keysym_t* syms = nullptr;
        if (xkb_keymap_key_get_syms_by_level(&keymap, code, 0, 0, &syms) == 1 &&
            syms[0] == wanted) {
            return code;
        }
    }
    return std::nullopt;
}

void X11KeyInjector::key(std::uint32_t keycode, bool isDown, std::uint32_t modifiers) {
    if (isDown) {
        const std::uint32_t missing = modifiers & ~keyboard_.modifiers();
        std::vector<std::uint32_t> pressed;
        for (std::uint32_t bit = 1; bit <= X11KeyboardState::kLevelThreeMask; bit <<= 1) {
            if ((missing & bit) != 0) {
                if (const auto modifierCode = modifierKey(bit)) {
                    fake(XCB_KEY_PRESS, *modifierCode);
                    pressed.push_back(*modifierCode);
                }
            }
        }
        heldFor_[keycode] = std::move(pressed);
        fake(XCB_KEY_PRESS, keycode);
    } else {
        fake(XCB_KEY_RELEASE, keycode);
        if (const auto found = heldFor_.find(keycode); found != heldFor_.end()) {
            for (auto it = found->second.rbegin(); it != found->second.rend(); ++it) {
                fake(XCB_KEY_RELEASE, *it);
            }
            heldFor_.erase(found);
        }
    }
    connection_.flush();
}

std::optional<X11KeyInjector::Stroke> X11KeyInjector::keyFor(char32_t character,
                                                             std::uint32_t group) const {
    if (character == U'\n' || character == U'\r') {
        return Stroke{kReturnKeycode, 0, std::nullopt};
    }
    xkb_keymap& keymap = keyboard_.keymap();
    xkb::State probe(xkb_state_new(&keymap));
    const xkb_mod_mask_t locked =
        xkb_state_serialize_mods(&keyboard_.state(), XKB_STATE_MODS_LOCKED);
    for (const std::uint32_t modifiers : {0u, X11KeyboardState::kShiftMask}) {
        xkb_state_update_mask(probe.get(), modifiers, 0, locked, 0, 0, group);
        // From the low codes up: the main block comes before the keypad.
        for (xkb_keycode_t code = xkb_keymap_min_keycode(&keymap);
             code <= xkb_keymap_max_keycode(&keymap) && code < 256; ++code) {
            if (spares_.isSpare(code) || xkb_state_key_get_utf32(probe.get(), code) != character) {
                continue;
            }
            // A key of one layout (Space) types the same in every group.
            if (xkb_keymap_num_layouts_for_key(&keymap, code) == 1) {
                return Stroke{code, modifiers, std::nullopt};
            }
            if (xkb_state_key_get_layout(probe.get(), code) == group) {
                return Stroke{code, modifiers, group};
            }
        }
    }
    return std::nullopt;
}

std::optional<X11KeyInjector::Stroke> X11KeyInjector::strokeFor(char32_t character,
                                                                std::uint32_t lockedGroup) {
    if (auto stroke = keyFor(character, lockedGroup)) {
        stroke->group.reset();
        return stroke;
    }
    const xkb_layout_index_t groups = xkb_keymap_num_layouts(&keyboard_.keymap());
    for (std::uint32_t group = 0; group < groups; ++group) {
        if (const auto stroke = keyFor(character, group)) {
            return stroke;
        }
    }
    if (const auto spare = spares_.keycodeFor(character, X11SpareKeycodes::Clock::now())) {
        return Stroke{*spare, 0, std::nullopt};
    }
    return std::nullopt;
}

std::uint32_t X11KeyInjector::lockedGroupOnServer() const {
    xcb::Reply<xcb_xkb_get_state_reply_t> state(xcb_xkb_get_state_reply(
        connection_.get(),
        xcb_xkb_get_state(connection_.get(),
                          static_cast<xcb_xkb_device_spec_t>(connection_.coreKeyboard())),
        nullptr));
    return state ? state->lockedGroup : keyboard_.lockedGroup();
}

void X11KeyInjector::latchGroup(std::uint32_t group, std::uint32_t lockedGroup) {
    const xkb_layout_index_t groups = xkb_keymap_num_layouts(&keyboard_.keymap());
    if (groups == 0) {
        return;
    }
    // A latch is relative to the locked group and lasts for the next key only.
    const auto delta = static_cast<std::uint16_t>((group + groups - lockedGroup % groups) % groups);
    xcb_xkb_latch_lock_state(connection_.get(),
                             static_cast<xcb_xkb_device_spec_t>(connection_.coreKeyboard()), 0, 0,
                             0, 0, 0, 1, delta);
}

bool X11KeyInjector::pressKeysOf(std::string_view text, std::uint32_t group) {
    const auto strokes =
        strokesOf(text, [&](char32_t character) { return keyFor(character, group); });
    if (!strokes) {
        return false;
    }
    // The user's keys go in whatever group is locked, as a real keyboard's do.
    for (const auto& stroke : *strokes) {
        key(stroke.keycode, true, stroke.modifiers);
        key(stroke.keycode, false);
    }
    return true;
}

bool X11KeyInjector::prepare(std::string_view text) {
    const std::uint32_t locked = lockedGroupOnServer();
    const bool ready = strokesOf(text, [&](char32_t character) {
                           return strokeFor(character, locked);
                       }).has_value();
    connection_.flush();
    return ready;
}

bool X11KeyInjector::type(std::string_view text) {
    const std::uint32_t locked = lockedGroupOnServer();
    const auto strokes =
        strokesOf(text, [&](char32_t character) { return strokeFor(character, locked); });
    if (!strokes) {
        return false;
    }
    pressAll(*strokes, locked);
    return true;
}

std::optional<X11KeyInjector::Strokes> X11KeyInjector::strokesOf(
    std::string_view text, const std::function<std::optional<Stroke>(char32_t)>& strokeOf) {
    // Every character is looked up first, so that nothing is typed when one has no key.
    Strokes strokes;
    for (const char32_t character : codePoints(text)) {
        const auto stroke = strokeOf(character);
        if (!stroke) {
            return std::nullopt;
        }
        strokes.push_back(*stroke);
    }
    return strokes;
}

void X11KeyInjector::pressAll(const Strokes& strokes, std::uint32_t lockedGroup) {
    for (const auto& stroke : strokes) {
        if (stroke.group && *stroke.group != lockedGroup) {
            latchGroup(*stroke.group, lockedGroup);
        }
        key(stroke.keycode, true, stroke.modifiers);
        key(stroke.keycode, false);
    }
}

}  // namespace plovik
