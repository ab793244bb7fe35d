#include "platform/x11/X11SpareKeycodes.h"

#include <xkbcommon/xkbcommon-keysyms.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <array>

namespace plovik {

X11SpareKeycodes::X11SpareKeycodes(const X11Connection& connection) : connection_(connection) {
    findFreeKeycodes();
}

X11SpareKeycodes::~X11SpareKeycodes() {
    for (const auto& [character, binding] : bound_) {
        bind(binding.keycode, XKB_KEY_NoSymbol);
    }
    connection_.sync();
}

void X11SpareKeycodes::findFreeKeycodes() {
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
    // Lent from the top (the back), so that the low unused codes, where keyboards grow
    // new keys, go last.
    for (int index = 0; index < count; ++index) {
        const auto* first = keysyms + static_cast<std::ptrdiff_t>(index) * perKeycode;
        if (std::all_of(first, first + perKeycode,
                        [](xcb_keysym_t keysym) { return keysym == XKB_KEY_NoSymbol; })) {
            free_.push_back(static_cast<std::uint32_t>(setup->min_keycode + index));
        }
    }
    all_ = free_;
}

bool X11SpareKeycodes::isSpare(std::uint32_t keycode) const {
    return std::binary_search(all_.begin(), all_.end(), keycode);
}

std::optional<std::uint32_t> X11SpareKeycodes::keycodeFor(char32_t character,
                                                          Clock::time_point now) {
    if (const auto found = bound_.find(character); found != bound_.end()) {
        found->second.lastUse = now;
        return found->second.keycode;
    }
    const xkb_keysym_t keysym = xkb_utf32_to_keysym(character);
    if (keysym == XKB_KEY_NoSymbol) {
        return std::nullopt;
    }
    const auto keycode = takeKeycode(now);
    if (!keycode) {
        return std::nullopt;
    }
    bind(*keycode, keysym);
    bound_.emplace(character, Binding{*keycode, now});
    return keycode;
}

std::optional<std::uint32_t> X11SpareKeycodes::takeKeycode(Clock::time_point now) {
    if (!free_.empty()) {
        const std::uint32_t keycode = free_.back();
        free_.pop_back();
        return keycode;
    }
    const auto oldest = std::min_element(
        bound_.begin(), bound_.end(),
        [](const auto& a, const auto& b) { return a.second.lastUse < b.second.lastUse; });
    if (oldest == bound_.end() || now - oldest->second.lastUse < kRestBeforeReuse) {
        return std::nullopt;
    }
    const std::uint32_t keycode = oldest->second.keycode;
    bound_.erase(oldest);
    return keycode;
}

void X11SpareKeycodes::bind(std::uint32_t keycode, std::uint32_t keysym) {
    // Both levels alike, so that Shift or Caps Lock cannot change what it types.
    const std::array<xcb_keysym_t, 2> keysyms{keysym, keysym};
    xcb_change_keyboard_mapping(connection_.get(), 1, static_cast<xcb_keycode_t>(keycode), 2,
                                keysyms.data());
}

}  // namespace plovik
