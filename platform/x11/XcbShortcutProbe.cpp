#include "platform/x11/XcbShortcutProbe.h"

#include <xcb/xinput.h>

#include <array>
#include <utility>

#include "core/platform/Key.h"

namespace plovik {

namespace {

using xcb::owned;

constexpr std::uint32_t kAltL = 0xffe9, kAltR = 0xffea, kMetaL = 0xffe7, kMetaR = 0xffe8;
constexpr std::uint32_t kSuperL = 0xffeb, kSuperR = 0xffec, kNumLock = 0xff7f;
constexpr std::uint8_t kBadAccess = 10;

}  // namespace

XcbShortcutProbe::XcbShortcutProbe(const std::optional<std::string>& displayName, OwnGrabs ownGrabs)
    : ownGrabs_(std::move(ownGrabs)) {
    int screenNumber = 0;
    connection_.reset(xcb_connect(displayName ? displayName->c_str() : nullptr, &screenNumber));
    if (xcb_connection_has_error(connection_.get())) {
        connection_.reset();
        return;
    }
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection_.get()));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    root_ = screens.rem > 0 ? screens.data->root : XCB_NONE;
    const auto version = owned(xcb_input_xi_query_version_reply(
        connection_.get(), xcb_input_xi_query_version(connection_.get(), 2, 2), nullptr));
    hasInput2_ = version && (version->major_version > 2 ||
                             (version->major_version == 2 && version->minor_version >= 2));
}

bool XcbShortcutProbe::isTaken(Key key, Modifiers modifiers) {
    if (ownGrabs_ && ownGrabs_(key, modifiers)) {
        return false;
    }
    if (!connection_ || root_ == XCB_NONE) {
        return true;
    }
    const int code = static_cast<int>(xKeycode(key));
    const auto* setup = xcb_get_setup(connection_.get());
    if (code < setup->min_keycode || code > setup->max_keycode) {
        return true;
    }
    const auto keycode = static_cast<std::uint8_t>(code);
    const auto modifierMasks = readModifierMasks();
    const auto masks = lockVariants(maskOf(modifiers, modifierMasks), modifierMasks.numLock);
    return coreGrabRefused(keycode, masks) || (hasInput2_ && inputGrabRefused(keycode, masks));
}

XcbShortcutProbe::ModifierMasks XcbShortcutProbe::readModifierMasks() const {
    ModifierMasks masks;
    auto* connection = connection_.get();
    const auto mapping = owned(
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr));
    const auto* setup = xcb_get_setup(connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    const auto keyboard = owned(xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, count), nullptr));
    if (!mapping || !keyboard || keyboard->keysyms_per_keycode == 0) {
        return masks;
    }
    const auto* keycodes = xcb_get_modifier_mapping_keycodes(mapping.get());
    const auto* keysyms = xcb_get_keyboard_mapping_keysyms(keyboard.get());
    const int perModifier = mapping->keycodes_per_modifier;
    bool foundAlt = false, foundSuper = false, foundNumLock = false;
    // Shift, Lock and Control are fixed; Mod1 to Mod5 carry whatever the keymap puts there.
    for (int modifier = 3; modifier < 8; ++modifier) {
        const auto bit = static_cast<std::uint16_t>(1u << modifier);
        for (int k = 0; k < perModifier; ++k) {
            const int keycode = keycodes[modifier * perModifier + k];
            if (keycode < setup->min_keycode || keycode > setup->max_keycode) {
                continue;
            }
            const int row = (keycode - setup->min_keycode) * keyboard->keysyms_per_keycode;
            for (int level = 0; level < keyboard->keysyms_per_keycode; ++level) {
                const std::uint32_t keysym = keysyms[row + level];
                if (!foundAlt &&
                    (keysym == kAltL || keysym == kAltR || keysym == kMetaL || keysym == kMetaR)) {
                    masks.alt = bit;
                    foundAlt = true;
                } else if (!foundSuper && (keysym == kSuperL || keysym == kSuperR)) {
                    masks.super = bit;
                    foundSuper = true;
                } else if (!foundNumLock && keysym == kNumLock) {
                    masks.numLock = bit;
                    foundNumLock = true;
                }
            }
        }
    }
    return masks;
}

std::uint16_t XcbShortcutProbe::maskOf(Modifiers modifiers, const ModifierMasks& masks) {
    std::uint16_t mask = 0;
    if (modifiers.has(Modifier::shift)) {
        mask |= XCB_MOD_MASK_SHIFT;
    }
    if (modifiers.has(Modifier::control)) {
        mask |= XCB_MOD_MASK_CONTROL;
    }
    if (modifiers.has(Modifier::alt)) {
        mask |= masks.alt;
    }
    if (modifiers.has(Modifier::super)) {
        mask |= masks.super;
    }
    return mask;
}

std::vector<std::uint16_t> XcbShortcutProbe::lockVariants(std::uint16_t mask,
                                                          std::uint16_t numLock) {
    return {mask, static_cast<std::uint16_t>(mask | XCB_MOD_MASK_LOCK),
            static_cast<std::uint16_t>(mask | numLock),
            static_cast<std::uint16_t>(mask | XCB_MOD_MASK_LOCK | numLock)};
}

bool XcbShortcutProbe::coreGrabRefused(std::uint8_t keycode,
                                       const std::vector<std::uint16_t>& masks) const {
    auto* connection = connection_.get();
    std::vector<xcb_void_cookie_t> grabs;
    for (const auto mask : masks) {
        grabs.push_back(xcb_grab_key_checked(connection, 1, root_, mask, keycode,
                                             XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
    bool refused = false;
    for (const auto cookie : grabs) {
        if (auto error = owned(xcb_request_check(connection, cookie))) {
            refused = true;
        }
    }
    // Ungrabbing only ever releases this client's own grabs.
    for (const auto mask : masks) {
        xcb_ungrab_key(connection, keycode, root_, mask);
    }
    xcb_flush(connection);
    return refused;
}

bool XcbShortcutProbe::inputGrabRefused(std::uint8_t keycode,
                                        const std::vector<std::uint16_t>& masks) const {
    std::vector<std::uint16_t> devices{XCB_INPUT_DEVICE_ALL, XCB_INPUT_DEVICE_ALL_MASTER};
    for (const auto keyboard : masterKeyboards()) {
        devices.push_back(keyboard);
    }
    for (const auto device : devices) {
        if (inputGrabRefused(device, keycode, masks)) {
            return true;
        }
    }
    return false;
}

bool XcbShortcutProbe::inputGrabRefused(std::uint16_t device, std::uint8_t keycode,
                                        const std::vector<std::uint16_t>& masks) const {
    auto* connection = connection_.get();
    const std::vector<std::uint32_t> modifiers(masks.begin(), masks.end());
    const std::uint32_t eventMask = XCB_INPUT_XI_EVENT_MASK_KEY_PRESS;
    xcb_generic_error_t* rawError = nullptr;
    const auto reply = owned(xcb_input_xi_passive_grab_device_reply(
        connection,
        xcb_input_xi_passive_grab_device(connection, XCB_CURRENT_TIME, root_, XCB_NONE, keycode,
                                         device, static_cast<std::uint16_t>(modifiers.size()), 1,
                                         XCB_INPUT_GRAB_TYPE_KEYCODE, XCB_INPUT_GRAB_MODE_22_ASYNC,
                                         XCB_INPUT_GRAB_MODE_22_ASYNC, 1, &eventMask,
                                         modifiers.data()),
        &rawError));
    const auto error = owned(rawError);
    // The reply lists the modifier states the server refused.
    const bool refused =
        (error && error->error_code == kBadAccess) ||
        (reply && xcb_input_xi_passive_grab_device_modifiers_length(reply.get()) > 0);
    xcb_input_xi_passive_ungrab_device(connection, root_, keycode, device,
                                       static_cast<std::uint16_t>(modifiers.size()),
                                       XCB_INPUT_GRAB_TYPE_KEYCODE, modifiers.data());
    xcb_flush(connection);
    return refused;
}

std::vector<std::uint16_t> XcbShortcutProbe::masterKeyboards() const {
    std::vector<std::uint16_t> keyboards;
    auto* connection = connection_.get();
    const auto reply = owned(xcb_input_xi_query_device_reply(
        connection, xcb_input_xi_query_device(connection, XCB_INPUT_DEVICE_ALL_MASTER), nullptr));
    if (!reply) {
        return keyboards;
    }
    for (auto it = xcb_input_xi_query_device_infos_iterator(reply.get()); it.rem > 0;
         xcb_input_xi_device_info_next(&it)) {
        if (it.data->type == XCB_INPUT_DEVICE_TYPE_MASTER_KEYBOARD) {
            keyboards.push_back(it.data->deviceid);
        }
    }
    return keyboards;
}

}  // namespace plovik
