#include "platform/x11/X11Connection.h"

#include <xcb/xinput.h>
#include <xcb/xtest.h>
#include <xkbcommon/xkbcommon-x11.h>

#include <cstring>

namespace plovik {

std::variant<std::unique_ptr<X11Connection>, std::string> X11Connection::open(
    const char* displayName) {
    const char* shown = displayName ? displayName : std::getenv("DISPLAY");
    if (!shown || !*shown) {
        return std::string("no X11 display: DISPLAY is not set");
    }
    std::unique_ptr<X11Connection> connection(new X11Connection());
    int screenNumber = 0;
    connection->connection_.reset(xcb_connect(displayName, &screenNumber));
    if (xcb_connection_has_error(connection->connection_.get())) {
        return "cannot connect to the X11 display \"" + std::string(shown) + "\"";
    }
    const xcb_setup_t* setup = xcb_get_setup(connection->get());
    auto screens = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < screenNumber && screens.rem; ++i) {
        xcb_screen_next(&screens);
    }
    connection->root_ = screens.data->root;
    if (auto error = connection->setUp()) {
        return *error;
    }
    return connection;
}

std::optional<std::string> X11Connection::setUp() {
    xcb_connection_t* c = get();
    const xcb_query_extension_reply_t* xinput = xcb_get_extension_data(c, &xcb_input_id);
    if (!xinput || !xinput->present) {
        return std::string("the X server has no XInput extension");
    }
    xinputOpcode_ = xinput->major_opcode;
    xcb::Reply<xcb_input_xi_query_version_reply_t> version(xcb_input_xi_query_version_reply(
        c, xcb_input_xi_query_version(c, kXInputMajor, kXInputMinor), nullptr));
    if (!version || version->major_version < kXInputMajor ||
        (version->major_version == kXInputMajor && version->minor_version < kXInputMinor)) {
        return std::string("the X server does not offer XInput 2.2");
    }
    std::uint16_t xkbMajor = 0;
    std::uint16_t xkbMinor = 0;
    std::uint8_t xkbBaseEvent = 0;
    std::uint8_t xkbBaseError = 0;
    if (!xkb_x11_setup_xkb_extension(c, XKB_X11_MIN_MAJOR_XKB_VERSION,
                                     XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, &xkbMajor, &xkbMinor,
                                     &xkbBaseEvent, &xkbBaseError)) {
        return std::string("the X server has no usable XKB extension");
    }
    xkbFirstEvent_ = xkbBaseEvent;
    coreKeyboard_ = xkb_x11_get_core_keyboard_device_id(c);
    if (coreKeyboard_ < 0) {
        return std::string("the X server has no core keyboard");
    }
    const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(c, &xcb_test_id);
    hasXTest_ = xtest && xtest->present;
    if (hasXTest_) {
        xtestKeyboard_ = findDevice(kXTestKeyboardName);
    }
    return std::nullopt;
}

std::optional<std::uint16_t> X11Connection::findDevice(const std::string& name) const {
    xcb::Reply<xcb_input_xi_query_device_reply_t> reply(xcb_input_xi_query_device_reply(
        get(), xcb_input_xi_query_device(get(), XCB_INPUT_DEVICE_ALL), nullptr));
    if (!reply) {
        return std::nullopt;
    }
    for (auto it = xcb_input_xi_query_device_infos_iterator(reply.get()); it.rem;
         xcb_input_xi_device_info_next(&it)) {
        const char* deviceName = xcb_input_xi_device_info_name(it.data);
        const int length = xcb_input_xi_device_info_name_length(it.data);
        if (std::string(deviceName, static_cast<std::size_t>(length)) == name) {
            return it.data->deviceid;
        }
    }
    return std::nullopt;
}

void X11Connection::sync() const {
    xcb::Reply<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(get(), xcb_get_input_focus(get()), nullptr));
}

xcb_atom_t X11Connection::atom(const std::string& name) const {
    xcb::Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        get(), xcb_intern_atom(get(), 0, static_cast<std::uint16_t>(name.size()), name.data()),
        nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::optional<std::string> X11Connection::rootStringProperty(const std::string& name) const {
    const xcb_atom_t property = atom(name);
    if (property == XCB_ATOM_NONE) {
        return std::nullopt;
    }
    xcb::Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        get(), xcb_get_property(get(), 0, root_, property, XCB_ATOM_STRING, 0, 4096), nullptr));
    if (!reply || reply->type == XCB_ATOM_NONE) {
        return std::nullopt;
    }
    const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply.get()));
    return std::string(bytes, static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

}  // namespace plovik
