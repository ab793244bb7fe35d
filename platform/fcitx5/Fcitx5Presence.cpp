#include "platform/fcitx5/Fcitx5Presence.h"

#include <gio/gio.h>

#include "platform/linux/GObjectRef.h"

namespace plovik {

namespace {

// The bus answers at once; a hung bus must not hold the start-up.
constexpr int kCallTimeoutMs = 500;

}  // namespace

bool Fcitx5Presence::isRunning() {
    GError* rawError = nullptr;
    const auto bus =
        GObjectRef<GDBusConnection>::adopt(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &rawError));
    GErrorPtr error(rawError);
    if (!bus) {
        return false;
    }
    rawError = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(
        bus.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "NameHasOwner", g_variant_new("(s)", kBusName), G_VARIANT_TYPE("(b)"),
        G_DBUS_CALL_FLAGS_NO_AUTO_START, kCallTimeoutMs, nullptr, &rawError);
    error.reset(rawError);
    if (!reply) {
        return false;
    }
    gboolean owned = FALSE;
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
    return owned == TRUE;
}

}  // namespace plovik
