#pragma once

#include <glib.h>
#include <xcb/xcb.h>

#include <functional>
#include <vector>

#include "platform/x11/X11Connection.h"

namespace plovik {

// Serves one X connection from a GLib main context: every event that arrives,
// including those XCB queued while waiting for a reply, goes to the handlers in
// order on the context's thread. When the connection breaks (the server is gone) the
// loss handler is told once and the connection is no longer watched.
class X11EventPump {
  public:
    using Handler = std::function<void(const xcb_generic_event_t&)>;

    // Null context: the default one.
    explicit X11EventPump(const X11Connection& connection, GMainContext* context = nullptr);
    ~X11EventPump();
    X11EventPump(const X11EventPump&) = delete;
    X11EventPump& operator=(const X11EventPump&) = delete;

    void addHandler(Handler handler) { handlers_.push_back(std::move(handler)); }
    void setLossHandler(std::function<void()> handler) { lossHandler_ = std::move(handler); }
    // Handles what is waiting now; for callers that cannot wait for the loop.
    void dispatchPending();

  private:
    struct Source;

    void deliver(const xcb_generic_event_t& event);
    // True (and the loss told) when the connection has broken.
    bool checkLoss();

    const X11Connection& connection_;
    std::vector<Handler> handlers_;
    std::function<void()> lossHandler_;
    bool lost_ = false;
    GSource* source_;
};

}  // namespace plovik
