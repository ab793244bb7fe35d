#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <utility>

#include "platform/x11/X11Connection.h"

namespace plovik {

// Learns when an application has taken in every event sent to it so far: a _NET_WM_PING
// goes to its window behind them, and the application answers it only once it has read
// them all. Each ping carries a mark of the caller's; the answer gives it back. Windows
// that do not answer pings are never pinged. The connection must receive the root's
// substructure events, where answers go.
class X11ApplicationPing {
  public:
    // At most this many pings wait for their answers; older ones are forgotten.
    static constexpr std::size_t kMaximumWaiting = 64;

    explicit X11ApplicationPing(X11Connection& connection);

    // Pings the application of `window` (the focus, or a window inside a top-level window);
    // false when it does not answer pings.
    bool send(xcb_window_t window, std::uint64_t mark);
    // The mark of a ping this event answers.
    std::optional<std::uint64_t> answered(const xcb_generic_event_t& event);

  private:
    // The top-level window holding `window` that answers pings, looked up once.
    std::optional<xcb_window_t> pingableWindow(xcb_window_t window);
    bool hasFocus(xcb_window_t window) const;
    bool answersPings(xcb_window_t window) const;
    std::optional<xcb_window_t> parentOf(xcb_window_t window) const;

    X11Connection& connection_;
    xcb_atom_t protocolsAtom_;
    xcb_atom_t pingAtom_;
    std::map<xcb_window_t, std::optional<xcb_window_t>> pingable_;
    // Far from the server's timestamps that window managers ping with.
    std::uint32_t nextId_ = 0xA0000000u;
    std::deque<std::pair<std::uint32_t, std::uint64_t>> waiting_;
};

}  // namespace plovik
