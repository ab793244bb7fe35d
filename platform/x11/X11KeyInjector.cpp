#include "platform/x11/X11KeyInjector.h"

#include <unicode/utf8.h>
#include <xcb/xtest.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <array>
#include <utility>

#include "platform/x11/X11ModifierFlags.h"

namespace plovik {

namespace {

constexpr std::uint32_t kReturnKeycode = 36;
// X numbers keys as evdev does, eight higher.
constexpr std::uint32_t kEvdevOffset = 8;

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
    : connection_(connection), keyboard_(keyboard), expectedKeys_(expectedKeys) {
    findSpareKeycodes();
}

X11KeyInjector::~X11KeyInjector() {
    const std::array<xcb_keysym_t, 2> none{XKB_KEY_NoSymbol, XKB_KEY_NoSymbol};
    for (const auto& [character, keycode] : bound_) {
        xcb_change_keyboard_mapping(connection_.get(), 1, static_cast<xcb_keycode_t>(keycode), 2,
                                    none.data());
    }
    connection_.sync();
}

void X11KeyInjector::findSpareKeycodes() {
    const xcb_setup_t* setup = xcb_get_setup(connection_.get());
    const auto count = static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    xcb::Reply<xcb_get_keyboard_mapping_reply_t> mapping(xcb_get_keyboard_mapping_reply(
        connection_.get(), xcb_get_keyboard_mapping(connection_.get(), setup->min_keycode, count),
        nullptr));
    if (!mapping) {
        return;
    }
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    const int perKeycode = mapping->keysyms_per_keycode;
    // From the top: the low unused codes are where keyboards grow new keys.
    for (int index = count - 1; index >= 0; --index) {
        bool isEmpty = true;
        for (int k = 0; k < perKeycode; ++k) {
            isEmpty = isEmpty && keysyms[index * perKeycode + k] == XKB_KEY_NoSymbol;
        }
        if (isEmpty) {
            spare_.push_back(static_cast<std::uint32_t>(setup->min_keycode + index));
        }
    }
}

void X11KeyInjector::fake(std::uint8_t type, std::uint32_t keycode) {
    if (type == XCB_KEY_PRESS) {
        expectedKeys_.expect(keycode);
    }
    if (log_) {
        log_->push_back({keycode, type == XCB_KEY_PRESS});
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
        return Stroke{kReturnKeycode, 0};
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
            // A key with one layout (Space, say) types the same in every group.
            if (xkb_state_key_get_utf32(probe.get(), code) == character &&
                (xkb_state_key_get_layout(probe.get(), code) == group ||
                 xkb_keymap_num_layouts_for_key(&keymap, code) == 1)) {
                return Stroke{code, modifiers};
            }
        }
    }
    return std::nullopt;
}

std::optional<X11KeyInjector::Stroke> X11KeyInjector::strokeFor(char32_t character) {
    if (const auto stroke = keyFor(character, keyboard_.lockedGroup())) {
        return stroke;
    }
    if (const auto spare = spareFor(character)) {
        return Stroke{*spare, 0};
    }
    return std::nullopt;
}

std::optional<std::uint32_t> X11KeyInjector::spareFor(char32_t character) {
    if (const auto found = bound_.find(character); found != bound_.end()) {
        return found->second;
    }
    const xkb_keysym_t keysym = xkb_utf32_to_keysym(character);
    if (spare_.empty() || keysym == XKB_KEY_NoSymbol) {
        return std::nullopt;
    }
    const std::uint32_t keycode = spare_.back();
    spare_.pop_back();
    // Both levels alike, so that Shift or Caps Lock cannot change what it types.
    const std::array<xcb_keysym_t, 2> keysyms{keysym, keysym};
    xcb_change_keyboard_mapping(connection_.get(), 1, static_cast<xcb_keycode_t>(keycode), 2,
                                keysyms.data());
    bound_.emplace(character, keycode);
    return keycode;
}

std::optional<std::pair<std::uint32_t, bool>> X11KeyInjector::keyOf(char32_t character,
                                                                    std::uint32_t group) const {
    const auto stroke = keyFor(character, group);
    if (!stroke) {
        return std::nullopt;
    }
    return std::pair(stroke->keycode, (stroke->modifiers & X11KeyboardState::kShiftMask) != 0);
}

std::optional<std::uint32_t> X11KeyInjector::shiftKeycode() const {
    return modifierKey(X11KeyboardState::kShiftMask);
}

bool X11KeyInjector::pressKeysOf(std::string_view text, std::uint32_t group) {
    return pressAll(text, [&](char32_t character) { return keyFor(character, group); });
}

bool X11KeyInjector::type(std::string_view text) {
    return pressAll(text, [&](char32_t character) { return strokeFor(character); });
}

bool X11KeyInjector::pressAll(std::string_view text,
                              const std::function<std::optional<Stroke>(char32_t)>& strokeOf) {
    // Every character is looked up first, so that nothing is typed when one has no key.
    std::vector<Stroke> strokes;
    for (const char32_t character : codePoints(text)) {
        const auto stroke = strokeOf(character);
        if (!stroke) {
            return false;
        }
        strokes.push_back(*stroke);
    }
    for (const auto& stroke : strokes) {
        key(stroke.keycode, true, stroke.modifiers);
        key(stroke.keycode, false);
    }
    return true;
}

bool X11KeyInjector::post(const SyntheticKeyEvent& event) {
    if (event.text) {
        return !event.isKeyDown || type(*event.text);
    }
    key(static_cast<std::uint32_t>(event.key) + kEvdevOffset, event.isKeyDown,
        X11ModifierFlags::realModifiers(event.modifiers));
    return true;
}

void X11KeyInjector::startLog() {
    log_.emplace();
}

std::vector<X11KeyInjector::FakedKey> X11KeyInjector::takeLog() {
    std::vector<FakedKey> log = log_.value_or(std::vector<FakedKey>{});
    log_.reset();
    return log;
}

}  // namespace plovik
