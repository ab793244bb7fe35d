#include "platform/x11/X11ApplicationPing.h"

#include <algorithm>

namespace plovik {

namespace {

// Windows between a focus window and the root: a bound against a broken tree.
constexpr int kDeepestWindow = 16;
// Focus windows remembered, so that the tree is walked once for each.
constexpr std::size_t kRememberedWindows = 64;

}  // namespace

X11ApplicationPing::X11ApplicationPing(X11Connection& connection)
    : connection_(connection),
      protocolsAtom_(connection.atom("WM_PROTOCOLS")),
      pingAtom_(connection.atom("_NET_WM_PING")) {}

bool X11ApplicationPing::send(xcb_window_t window, std::uint64_t mark) {
    // The keys went to the focus: another application's answer would tell nothing of them.
    if (pingAtom_ == XCB_ATOM_NONE || !hasFocus(window)) {
        return false;
    }
    const auto target = pingableWindow(window);
    if (!target) {
        return false;
    }
    const std::uint32_t id = nextId_++;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = *target;
    message.type = protocolsAtom_;
    message.data.data32[0] = pingAtom_;
    message.data.data32[1] = id;
    message.data.data32[2] = *target;
    xcb_send_event(connection_.get(), 0, *target, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&message));
    connection_.flush();
    waiting_.emplace_back(id, mark);
    if (waiting_.size() > kMaximumWaiting) {
        waiting_.pop_front();
    }
    return true;
}

std::optional<std::uint64_t> X11ApplicationPing::answered(const xcb_generic_event_t& event) {
    if ((event.response_type & 0x7F) != XCB_CLIENT_MESSAGE) {
        return std::nullopt;
    }
    const auto& message = reinterpret_cast<const xcb_client_message_event_t&>(event);
    if (message.window != connection_.root() || message.format != 32 ||
        message.type != protocolsAtom_ || message.data.data32[0] != pingAtom_) {
        return std::nullopt;
    }
    const auto found = std::find_if(waiting_.begin(), waiting_.end(), [&](const auto& ping) {
        return ping.first == message.data.data32[1];
    });
    if (found == waiting_.end()) {
        return std::nullopt;
    }
    const std::uint64_t mark = found->second;
    // Answers come in the order the pings went out.
    waiting_.erase(waiting_.begin(), found + 1);
    return mark;
}

std::optional<xcb_window_t> X11ApplicationPing::pingableWindow(xcb_window_t window) {
    if (const auto known = pingable_.find(window); known != pingable_.end()) {
        return known->second;
    }
    std::optional<xcb_window_t> found;
    std::optional<xcb_window_t> current = window;
    for (int depth = 0; current && *current != connection_.root() && depth < kDeepestWindow;
         ++depth) {
        if (answersPings(*current)) {
            found = current;
            break;
        }
        current = parentOf(*current);
    }
    if (pingable_.size() >= kRememberedWindows) {
        pingable_.clear();
    }
    pingable_.emplace(window, found);
    return found;
}

bool X11ApplicationPing::hasFocus(xcb_window_t window) const {
    xcb::Reply<xcb_get_input_focus_reply_t> focus(xcb_get_input_focus_reply(
        connection_.get(), xcb_get_input_focus(connection_.get()), nullptr));
    return focus && focus->focus == window;
}

bool X11ApplicationPing::answersPings(xcb_window_t window) const {
    xcb::Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection_.get(),
        xcb_get_property(connection_.get(), 0, window, protocolsAtom_, XCB_ATOM_ATOM, 0, 32),
        nullptr));
    if (!reply || reply->format != 32) {
        return false;
    }
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    return std::find(atoms, atoms + count, pingAtom_) != atoms + count;
}

std::optional<xcb_window_t> X11ApplicationPing::parentOf(xcb_window_t window) const {
    xcb::Reply<xcb_query_tree_reply_t> reply(xcb_query_tree_reply(
        connection_.get(), xcb_query_tree(connection_.get(), window), nullptr));
    if (!reply) {
        return std::nullopt;
    }
    return reply->parent;
}

}  // namespace plovik
