#include "platform/virtualsession/BusConnection.h"

#include <gio/gio.h>

#include <thread>

namespace plovik {
namespace {

constexpr int kCallTimeoutMs = 2000;
constexpr char kAccessibilityBus[] = "org.a11y.Bus";
constexpr char kAccessibilityPath[] = "/org/a11y/bus";

struct VariantUnref {
    void operator()(GVariant* variant) const { g_variant_unref(variant); }
};
using VariantPtr = std::unique_ptr<GVariant, VariantUnref>;

VariantPtr call(GDBusConnection* connection, const char* destination, const char* path,
                const char* interface, const char* method, GVariant* parameters,
                const char* replyType) {
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(
        connection, destination, path, interface, method, parameters,
        replyType ? G_VARIANT_TYPE(replyType) : nullptr, G_DBUS_CALL_FLAGS_NO_AUTO_START,
        kCallTimeoutMs, nullptr, &error);
    g_clear_error(&error);
    return VariantPtr(reply);
}

}  // namespace

void BusConnection::Unref::operator()(GDBusConnection* connection) const {
    g_dbus_connection_close_sync(connection, nullptr, nullptr);
    g_object_unref(connection);
}

std::optional<BusConnection> BusConnection::open(const std::string& address) {
    GError* error = nullptr;
    GDBusConnection* connection = g_dbus_connection_new_for_address_sync(
        address.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
    g_clear_error(&error);
    if (!connection) {
        return std::nullopt;
    }
    g_dbus_connection_set_exit_on_close(connection, FALSE);
    return BusConnection(std::shared_ptr<GDBusConnection>(connection, Unref{}));
}

bool BusConnection::nameHasOwner(const std::string& name) const {
    const auto reply =
        call(connection_.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
             "org.freedesktop.DBus", "NameHasOwner", g_variant_new("(s)", name.c_str()), "(b)");
    gboolean owned = FALSE;
    if (reply) {
        g_variant_get(reply.get(), "(b)", &owned);
    }
    return owned;
}

bool BusConnection::waitForName(const std::string& name, std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!nameHasOwner(name)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::optional<std::string> BusConnection::accessibilityBusAddress() const {
    const auto reply = call(connection_.get(), kAccessibilityBus, kAccessibilityPath,
                            "org.a11y.Bus", "GetAddress", nullptr, "(s)");
    if (!reply) {
        return std::nullopt;
    }
    const gchar* address = nullptr;
    g_variant_get(reply.get(), "(&s)", &address);
    return std::string(address);
}

bool BusConnection::setAccessibilityEnabled(bool enabled) const {
    return call(connection_.get(), kAccessibilityBus, kAccessibilityPath,
                "org.freedesktop.DBus.Properties", "Set",
                g_variant_new("(ssv)", "org.a11y.Status", "IsEnabled",
                              g_variant_new_boolean(enabled)),
                nullptr) != nullptr;
}

std::optional<bool> BusConnection::accessibilityEnabled() const {
    const auto reply = call(connection_.get(), kAccessibilityBus, kAccessibilityPath,
                            "org.freedesktop.DBus.Properties", "Get",
                            g_variant_new("(ss)", "org.a11y.Status", "IsEnabled"), "(v)");
    if (!reply) {
        return std::nullopt;
    }
    GVariant* value = nullptr;
    g_variant_get(reply.get(), "(v)", &value);
    const VariantPtr owned(value);
    if (!g_variant_is_of_type(value, G_VARIANT_TYPE_BOOLEAN)) {
        return std::nullopt;
    }
    return g_variant_get_boolean(value) != FALSE;
}

}  // namespace plovik
