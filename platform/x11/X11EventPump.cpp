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
    static gboolean check(GSource* source) {
        auto* self = reinterpret_cast<Source*>(source);
        return self->queued || (g_source_query_unix_fd(source, self->tag) & G_IO_IN) != 0;
    }
    static gboolean dispatch(GSource* source, GSourceFunc, gpointer) {
        auto* self = reinterpret_cast<Source*>(source);
        if (self->queued) {
            xcb::Reply<xcb_generic_event_t> event(std::exchange(self->queued, nullptr));
            self->pump->deliver(*event);
        }
        self->pump->dispatchPending();
        return G_SOURCE_CONTINUE;
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

void X11EventPump::dispatchPending() {
    while (auto* raw = xcb_poll_for_event(connection_.get())) {
        xcb::Reply<xcb_generic_event_t> event(raw);
        deliver(*event);
    }
}

}  // namespace plovik
