#include "platform/x11/X11EventPump.h"

#include <cstdlib>
#include <utility>

#include "platform/x11/XcbHandles.h"

namespace plovik {

// XCB reads events off the socket while a thread waits for a reply, so a readable
// descriptor is not the only sign of work: prepare() also takes a queued event.
struct X11EventPump::Source {
    GSource base;
    X11EventPump* pump;
    gpointer tag;
    xcb_generic_event_t* queued;

    static gboolean prepare(GSource* source, gint* timeout) {
        auto* self = reinterpret_cast<Source*>(source);
        *timeout = -1;
        if (!self->queued) {
            self->queued = xcb_poll_for_queued_event(self->pump->connection_.get());
        }
        return self->queued != nullptr;
    }
    // A hang-up or an error is work too: reading is what tells XCB the server is gone.
    static gboolean check(GSource* source) {
        auto* self = reinterpret_cast<Source*>(source);
        const auto ready = g_source_query_unix_fd(source, self->tag);
        return self->queued || (ready & (G_IO_IN | G_IO_HUP | G_IO_ERR)) != 0;
    }
    static gboolean dispatch(GSource* source, GSourceFunc, gpointer) {
        auto* self = reinterpret_cast<Source*>(source);
        if (self->queued) {
            xcb::Reply<xcb_generic_event_t> event(std::exchange(self->queued, nullptr));
            self->pump->deliver(*event);
        }
        self->pump->dispatchPending();
        // A broken connection stays readable for ever: watching it on would spin.
        return self->pump->checkLoss() ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
    }
    static void finalize(GSource* source) {
        std::free(std::exchange(reinterpret_cast<Source*>(source)->queued, nullptr));
    }
};

X11EventPump::X11EventPump(const X11Connection& connection, GMainContext* context)
    : connection_(connection) {
    static GSourceFuncs functions = {&Source::prepare,  &Source::check, &Source::dispatch,
                                     &Source::finalize, nullptr,        nullptr};
    source_ = g_source_new(&functions, sizeof(Source));
    auto* self = reinterpret_cast<Source*>(source_);
    self->pump = this;
    self->queued = nullptr;
    self->tag = g_source_add_unix_fd(source_, connection.fileDescriptor(), G_IO_IN);
    g_source_attach(source_, context);
}

X11EventPump::~X11EventPump() {
    g_source_destroy(source_);
    g_source_unref(source_);
}

void X11EventPump::deliver(const xcb_generic_event_t& event) {
    for (const auto& handler : handlers_) {
        handler(event);
    }
}

bool X11EventPump::checkLoss() {
    if (!connection_.hasError()) {
        return false;
    }
    if (!std::exchange(lost_, true) && lossHandler_) {
        lossHandler_();
    }
    return true;
}

void X11EventPump::dispatchPending() {
    while (auto* raw = xcb_poll_for_event(connection_.get())) {
        xcb::Reply<xcb_generic_event_t> event(raw);
        deliver(*event);
    }
}

}  // namespace plovik
