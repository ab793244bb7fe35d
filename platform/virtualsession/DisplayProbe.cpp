#include "platform/virtualsession/DisplayProbe.h"

#include <xcb/xcb.h>

namespace plovik {
namespace {

using xcb::owned;

}  // namespace

std::optional<DisplayProbe> DisplayProbe::connect(const std::string& display) {
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return std::nullopt;
    }
    return DisplayProbe(connection);
}

unsigned DisplayProbe::rootWindow() const {
    return xcb_setup_roots_iterator(xcb_get_setup(connection_.get())).data->root;
}

unsigned DisplayProbe::atom(const std::string& name) const {
    const auto reply = owned(xcb_intern_atom_reply(
        connection_.get(),
        xcb_intern_atom(connection_.get(), 0, static_cast<uint16_t>(name.size()), name.c_str()),
        nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::optional<unsigned> DisplayProbe::windowProperty(unsigned window, unsigned property) const {
    const auto reply = owned(xcb_get_property_reply(
        connection_.get(),
        xcb_get_property(connection_.get(), 0, window, property, XCB_ATOM_WINDOW, 0, 1), nullptr));
    if (!reply || xcb_get_property_value_length(reply.get()) < 4) {
        return std::nullopt;
    }
    return *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
}

bool DisplayProbe::hasWindowManager() const {
    // The check window must name itself, or it is a stale value of a manager that died.
    const unsigned check = atom("_NET_SUPPORTING_WM_CHECK");
    const auto window = windowProperty(rootWindow(), check);
    return window && windowProperty(*window, check) == window;
}

bool DisplayProbe::hasSelectionOwner(const std::string& selection) const {
    const auto reply = owned(xcb_get_selection_owner_reply(
        connection_.get(), xcb_get_selection_owner(connection_.get(), atom(selection)), nullptr));
    return reply && reply->owner != XCB_WINDOW_NONE;
}

bool DisplayProbe::hasRootProperty(const std::string& property) const {
    const auto reply = owned(
        xcb_get_property_reply(connection_.get(),
                               xcb_get_property(connection_.get(), 0, rootWindow(), atom(property),
                                                XCB_GET_PROPERTY_TYPE_ANY, 0, 1),
                               nullptr));
    return reply && reply->type != XCB_ATOM_NONE;
}

bool DisplayProbe::focusOnlyWindow() const {
    xcb_connection_t* c = connection_.get();
    const auto tree = owned(xcb_query_tree_reply(c, xcb_query_tree(c, rootWindow()), nullptr));
    if (!tree || xcb_query_tree_children_length(tree.get()) != 1) {
        return false;
    }
    const xcb_window_t window = xcb_query_tree_children(tree.get())[0];
    const auto attributes =
        owned(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE) {
        return false;
    }
    xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    const auto focus = owned(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    return focus && focus->focus == window;
}

}  // namespace plovik
