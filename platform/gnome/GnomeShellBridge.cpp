#include "platform/gnome/GnomeShellBridge.h"

#include "platform/linux/GlibHandles.h"

namespace plovik {

GnomeShellBridge::GnomeShellBridge(GDBusConnection* connection) {
    connection_ = connection ? G_DBUS_CONNECTION(g_object_ref(connection))
                             : g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (!connection_) {
        return;
    }
    signals_ = g_dbus_connection_signal_subscribe(connection_, kBusName, kInterface, nullptr,
                                                  kObjectPath, nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
                                                  onSignal, this, nullptr);
    watch_ = g_bus_watch_name_on_connection(connection_, kBusName, G_BUS_NAME_WATCHER_FLAGS_NONE,
                                            onAppeared, onVanished, this, nullptr);
}

GnomeShellBridge::~GnomeShellBridge() {
    if (connection_) {
        g_bus_unwatch_name(watch_);
        g_dbus_connection_signal_unsubscribe(connection_, signals_);
        g_object_unref(connection_);
    }
}

GVariant* GnomeShellBridge::call(const char* method, GVariant* parameters,
                                 const char* replyType) const {
    if (!connection_) {
        if (parameters) {
            g_variant_unref(g_variant_ref_sink(parameters));
        }
        return nullptr;
    }
    return g_dbus_connection_call_sync(connection_, kBusName, kObjectPath, kInterface, method,
                                       parameters, G_VARIANT_TYPE(replyType),
                                       G_DBUS_CALL_FLAGS_NO_AUTO_START,
                                       static_cast<gint>(kCallTimeout.count()), nullptr, nullptr);
}

bool GnomeShellBridge::isRunning() const {
    if (!connection_) {
        return false;
    }
    const glib::Variant reply(g_dbus_connection_call_sync(
        connection_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "NameHasOwner", g_variant_new("(s)", kBusName), G_VARIANT_TYPE("(b)"),
        G_DBUS_CALL_FLAGS_NONE, static_cast<gint>(kCallTimeout.count()), nullptr, nullptr));
    gboolean owned = FALSE;
    if (reply) {
        g_variant_get(reply.get(), "(b)", &owned);
    }
    return owned;
}

void GnomeShellBridge::refresh() {
    readSources();
    readCurrent();
    readFocus();
}

void GnomeShellBridge::readSources() {
    const glib::Variant reply(call("ListSources", nullptr, "(a(ss))"));
    sources_.clear();
    if (!reply) {
        return;
    }
    GVariantIter* iterator = nullptr;
    g_variant_get(reply.get(), "(a(ss))", &iterator);
    const char* type = nullptr;
    const char* id = nullptr;
    while (g_variant_iter_next(iterator, "(&s&s)", &type, &id)) {
        sources_.push_back({type, id});
    }
    g_variant_iter_free(iterator);
}

void GnomeShellBridge::readCurrent() {
    const glib::Variant reply(call("CurrentSource", nullptr, "(i)"));
    gint index = -1;
    if (reply) {
        g_variant_get(reply.get(), "(i)", &index);
    }
    current_ =
        index >= 0 ? std::optional<std::size_t>(static_cast<std::size_t>(index)) : std::nullopt;
}

void GnomeShellBridge::readFocus() {
    const glib::Variant reply(call("FocusedApplication", nullptr, "((ssu))"));
    if (!reply) {
        focused_.reset();
        return;
    }
    const glib::Variant application(g_variant_get_child_value(reply.get(), 0));
    setFocus(application.get());
}

void GnomeShellBridge::setFocus(GVariant* application) {
    const char* id = nullptr;
    const char* windowClass = nullptr;
    guint32 process = 0;
    g_variant_get(application, "(&s&su)", &id, &windowClass, &process);
    focused_ = Application{id, windowClass, static_cast<std::int32_t>(process)};
}

bool GnomeShellBridge::activate(std::size_t index) {
    const glib::Variant reply(
        call("ActivateSource", g_variant_new("(u)", static_cast<guint32>(index)), "(b)"));
    gboolean done = FALSE;
    if (reply) {
        g_variant_get(reply.get(), "(b)", &done);
    }
    // The Shell reports the change a moment later; the source is current already.
    if (done) {
        current_ = index;
    }
    return done;
}

Subscription GnomeShellBridge::observeSources(std::function<void()> observer) {
    bool first = true;
    return sourceChanges_.subscribe([observer = std::move(observer), first](std::uint64_t) mutable {
        if (!std::exchange(first, false)) {
            observer();
        }
    });
}

Subscription GnomeShellBridge::observeFocus(std::function<void()> observer) {
    bool first = true;
    return focusChanges_.subscribe([observer = std::move(observer), first](std::uint64_t) mutable {
        if (!std::exchange(first, false)) {
            observer();
        }
    });
}

void GnomeShellBridge::onSignal(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                const gchar* signal, GVariant* parameters, gpointer data) {
    auto* self = static_cast<GnomeShellBridge*>(data);
    const std::string_view name(signal);
    if (name == "SourcesChanged") {
        self->readSources();
        self->readCurrent();
        self->sourceChanges_.set(*self->sourceChanges_ + 1);
    } else if (name == "SourceChanged" && g_variant_is_of_type(parameters, G_VARIANT_TYPE("(i)"))) {
        gint index = -1;
        g_variant_get(parameters, "(i)", &index);
        self->current_ =
            index >= 0 ? std::optional<std::size_t>(static_cast<std::size_t>(index)) : std::nullopt;
        self->sourceChanges_.set(*self->sourceChanges_ + 1);
    } else if (name == "FocusChanged" &&
               g_variant_is_of_type(parameters, G_VARIANT_TYPE("((ssu))"))) {
        const glib::Variant application(g_variant_get_child_value(parameters, 0));
        self->setFocus(application.get());
        self->focusChanges_.set(*self->focusChanges_ + 1);
    }
}

void GnomeShellBridge::onAppeared(GDBusConnection*, const gchar*, const gchar*, gpointer data) {
    auto* self = static_cast<GnomeShellBridge*>(data);
    self->refresh();
    self->available_.set(true);
    self->sourceChanges_.set(*self->sourceChanges_ + 1);
    self->focusChanges_.set(*self->focusChanges_ + 1);
}

void GnomeShellBridge::onVanished(GDBusConnection*, const gchar*, gpointer data) {
    auto* self = static_cast<GnomeShellBridge*>(data);
    self->sources_.clear();
    self->current_.reset();
    self->focused_.reset();
    self->available_.set(false);
    self->sourceChanges_.set(*self->sourceChanges_ + 1);
    self->focusChanges_.set(*self->focusChanges_ + 1);
}

}  // namespace plovik
