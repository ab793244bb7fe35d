#include "platform/linux/SessionBusWatch.h"

#include <gio/gio.h>

#include "platform/linux/GlibHandles.h"

namespace plovik {

struct SessionBusWatch::Handles {
    glib::Object<GDBusConnection> connection;
    std::function<void()> onClosed;
    gulong handler = 0;
};

namespace {

void closed(GDBusConnection*, gboolean, GError*, gpointer data) {
    (*static_cast<std::function<void()>*>(data))();
}

}  // namespace

std::unique_ptr<SessionBusWatch> SessionBusWatch::watch(std::function<void()> onClosed) {
    auto handles = std::make_unique<Handles>();
    // The process's shared connection, the one every other user of the session bus here gets.
    handles->connection.reset(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
    if (!handles->connection) {
        return nullptr;
    }
    g_dbus_connection_set_exit_on_close(handles->connection.get(), FALSE);
    handles->onClosed = std::move(onClosed);
    handles->handler = g_signal_connect(handles->connection.get(), "closed", G_CALLBACK(closed),
                                        &handles->onClosed);
    return std::unique_ptr<SessionBusWatch>(new SessionBusWatch(std::move(handles)));
}

SessionBusWatch::SessionBusWatch(std::unique_ptr<Handles> handles) : handles_(std::move(handles)) {}

SessionBusWatch::~SessionBusWatch() {
    g_signal_handler_disconnect(handles_->connection.get(), handles_->handler);
}

}  // namespace plovik
