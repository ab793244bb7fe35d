#include "platform/x11/X11KeyboardState.h"

#include <xkbcommon/xkbcommon-x11.h>

#include <array>
#include <stdexcept>

#include "platform/x11/XcbXkb.h"

namespace plovik {

namespace {

// The first bytes every XKB event shares.
struct XkbEventHeader {
    std::uint8_t responseType;
    std::uint8_t xkbType;
    std::uint16_t sequence;
    xcb_timestamp_t time;
    std::uint8_t deviceId;
};

std::string utf8(const char* bytes, int length) {
    return length > 0 ? std::string(bytes, static_cast<std::size_t>(length)) : std::string();
}

}  // namespace

X11KeyboardState::X11KeyboardState(const X11Connection& connection, const std::string& composeFile,
                                   Tracking tracking)
    : connection_(connection),
      tracking_(tracking),
      context_(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {
    if (!context_) {
        throw std::runtime_error("cannot create an XKB context");
    }
    reload();
    if (!composeFile.empty()) {
        if (FILE* file = std::fopen(composeFile.c_str(), "r")) {
            composeTable_.reset(xkb_compose_table_new_from_file(context_.get(), file, "C",
                                                                XKB_COMPOSE_FORMAT_TEXT_V1,
                                                                XKB_COMPOSE_COMPILE_NO_FLAGS));
            std::fclose(file);
        }
    }
    if (composeTable_) {
        compose_.reset(xkb_compose_state_new(composeTable_.get(), XKB_COMPOSE_STATE_NO_FLAGS));
    }
}

void X11KeyboardState::reload() {
    xkb::Keymap keymap(xkb_x11_keymap_new_from_device(context_.get(), connection_.get(),
                                                      connection_.coreKeyboard(),
                                                      XKB_KEYMAP_COMPILE_NO_FLAGS));
    xkb::State state(keymap ? xkb_x11_state_new_from_device(keymap.get(), connection_.get(),
                                                            connection_.coreKeyboard())
                            : nullptr);
    if (!state) {
        throw std::runtime_error("cannot read the X server's keyboard map");
    }
    if (tracking_ == Tracking::rawKeys && state_) {
        followKeysDown(*state);
    }
    keymap_ = std::move(keymap);
    state_ = std::move(state);
}

// The server's modifiers can be ahead of the raw keys still queued, and a modifier the new
// state only takes from them would never be released: it goes on from the keys held.
void X11KeyboardState::followKeysDown(xkb_state& state) const {
    const xkb_mod_mask_t locked = xkb_state_serialize_mods(&state, XKB_STATE_MODS_LOCKED);
    const xkb_layout_index_t group = xkb_state_serialize_layout(&state, XKB_STATE_LAYOUT_LOCKED);
    xkb_state_update_mask(&state, 0, 0, locked, 0, 0, group);
    for (const auto keycode : keysDown_) {
        xkb_state_update_key(&state, keycode, XKB_KEY_DOWN);
    }
    // A lock key held meanwhile must not toggle again.
    xkb_state_update_mask(&state, xkb_state_serialize_mods(&state, XKB_STATE_MODS_DEPRESSED),
                          xkb_state_serialize_mods(&state, XKB_STATE_MODS_LATCHED), locked, 0, 0,
                          group);
}

void X11KeyboardState::selectEvents() {
    constexpr std::uint16_t events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY |
                                     XCB_XKB_EVENT_TYPE_MAP_NOTIFY |
                                     XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
    constexpr std::uint16_t mapParts =
        XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS | XCB_XKB_MAP_PART_MODIFIER_MAP |
        XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS | XCB_XKB_MAP_PART_KEY_ACTIONS |
        XCB_XKB_MAP_PART_VIRTUAL_MODS | XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
    constexpr std::uint16_t stateParts =
        XCB_XKB_STATE_PART_MODIFIER_BASE | XCB_XKB_STATE_PART_MODIFIER_LATCH |
        XCB_XKB_STATE_PART_MODIFIER_LOCK | XCB_XKB_STATE_PART_GROUP_BASE |
        XCB_XKB_STATE_PART_GROUP_LATCH | XCB_XKB_STATE_PART_GROUP_LOCK;
    xcb_xkb_select_events_details_t details{};
    details.affectNewKeyboard = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.affectState = stateParts;
    details.stateDetails = stateParts;
    xcb_xkb_select_events_aux(connection_.get(),
                              static_cast<xcb_xkb_device_spec_t>(connection_.coreKeyboard()),
                              events, 0, 0, mapParts, mapParts, &details);
    connection_.flush();
}

X11KeyboardState::Change X11KeyboardState::handle(const xcb_generic_event_t& event) {
    if ((event.response_type & 0x7F) != connection_.xkbFirstEvent()) {
        return Change::none;
    }
    const auto& header = reinterpret_cast<const XkbEventHeader&>(event);
    if (header.deviceId != connection_.coreKeyboard()) {
        return Change::none;
    }
    switch (header.xkbType) {
        case XCB_XKB_NEW_KEYBOARD_NOTIFY:
        case XCB_XKB_MAP_NOTIFY:
            reload();
            return Change::keymap;
        case XCB_XKB_STATE_NOTIFY: {
            const auto& notify = reinterpret_cast<const xcb_xkb_state_notify_event_t&>(event);
            lastStateChangeKeycode_ = notify.keycode;
            if (tracking_ == Tracking::rawKeys) {
                xkb_state_update_mask(
                    state_.get(), xkb_state_serialize_mods(state_.get(), XKB_STATE_MODS_DEPRESSED),
                    xkb_state_serialize_mods(state_.get(), XKB_STATE_MODS_LATCHED),
                    notify.lockedMods, 0, 0, notify.lockedGroup);
                return Change::state;
            }
            xkb_state_update_mask(
                state_.get(), notify.baseMods, notify.latchedMods, notify.lockedMods,
                static_cast<xkb_layout_index_t>(notify.baseGroup),
                static_cast<xkb_layout_index_t>(notify.latchedGroup), notify.lockedGroup);
            return Change::state;
        }
        default:
            return Change::none;
    }
}

void X11KeyboardState::keyMoved(std::uint32_t keycode, bool isDown) {
    xkb_state_update_key(state_.get(), keycode, isDown ? XKB_KEY_DOWN : XKB_KEY_UP);
    std::erase(keysDown_, keycode);
    if (isDown) {
        keysDown_.push_back(keycode);
    }
}

std::uint32_t X11KeyboardState::modifiers() const {
    // xkbcommon-x11 numbers the eight real modifiers first, in X's order.
    return xkb_state_serialize_mods(state_.get(), XKB_STATE_MODS_EFFECTIVE) & 0xFF;
}

std::uint32_t X11KeyboardState::lockedGroup() const {
    return xkb_state_serialize_layout(state_.get(), XKB_STATE_LAYOUT_LOCKED);
}

std::string X11KeyboardState::typedText(std::uint32_t keycode, bool composes) {
    std::array<char, 64> buffer{};
    if (composes && compose_) {
        const xkb_keysym_t keysym = xkb_state_key_get_one_sym(state_.get(), keycode);
        if (xkb_compose_state_feed(compose_.get(), keysym) == XKB_COMPOSE_FEED_ACCEPTED) {
            switch (xkb_compose_state_get_status(compose_.get())) {
                case XKB_COMPOSE_COMPOSING:
                    return {};
                case XKB_COMPOSE_COMPOSED: {
                    const int length =
                        xkb_compose_state_get_utf8(compose_.get(), buffer.data(), buffer.size());
                    xkb_compose_state_reset(compose_.get());
                    return utf8(buffer.data(), length);
                }
                case XKB_COMPOSE_CANCELLED:
                    // The toolkits drop the accent and type the key.
                    xkb_compose_state_reset(compose_.get());
                    break;
                case XKB_COMPOSE_NOTHING:
                    break;
            }
        }
    }
    const int length = xkb_state_key_get_utf8(state_.get(), keycode, buffer.data(), buffer.size());
    return utf8(buffer.data(), length);
}

}  // namespace plovik
