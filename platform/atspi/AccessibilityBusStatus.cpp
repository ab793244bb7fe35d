#include "platform/atspi/AccessibilityBusStatus.h"

#include <gio/gio.h>

#include <memory>

#include "platform/linux/GObjectRef.h"

namespace plovik {
namespace {

constexpr int kCallTimeoutMs = 1000;
constexpr char kBusName[] = "org.a11y.Bus";
constexpr char kBusPath[] = "/org/a11y/bus";
constexpr char kInterfaceSchema[] = "org.gnome.desktop.interface";
constexpr char kToolkitAccessibilityKey[] = "toolkit-accessibility";

struct VariantUnref {
    void operator()(GVariant* variant) const { g_variant_unref(variant); }
};
using VariantPtr = std::unique_ptr<GVariant, VariantUnref>;

GObjectRef<GDBusConnection> sessionBus() {
    return GObjectRef<GDBusConnection>::adopt(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
}

VariantPtr call(const char* destination, const char* path, const char* interface,
                const char* method, GVariant* parameters, const char* replyType, bool autoStart) {
    const auto bus = sessionBus();
    if (!bus) {
        if (parameters) {
            g_variant_unref(g_variant_ref_sink(parameters));
        }
        return nullptr;
    }
    GError* rawError = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(
        bus.get(), destination, path, interface, method, parameters,
        replyType ? G_VARIANT_TYPE(replyType) : nullptr,
        autoStart ? G_DBUS_CALL_FLAGS_NONE : G_DBUS_CALL_FLAGS_NO_AUTO_START, kCallTimeoutMs,
        nullptr, &rawError);
    const GErrorPtr error(rawError);
    return VariantPtr(reply);
}

void enableToolkitAccessibilitySetting() {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema =
        source ? g_settings_schema_source_lookup(source, kInterfaceSchema, TRUE) : nullptr;
    if (!schema) {
        return;
    }
    if (g_settings_schema_has_key(schema, kToolkitAccessibilityKey)) {
        const auto settings = GObjectRef<GSettings>::adopt(g_settings_new(kInterfaceSchema));
        g_settings_set_boolean(settings.get(), kToolkitAccessibilityKey, TRUE);
        g_settings_sync();
    }
    g_settings_schema_unref(schema);
}

}  // namespace

bool AccessibilityBusStatus::isReachable() const {
    const auto reply =
        call(kBusName, kBusPath, "org.a11y.Bus", "GetAddress", nullptr, "(s)", false);
    if (!reply) {
        return false;
    }
    const gchar* address = nullptr;
    g_variant_get(reply.get(), "(&s)", &address);
    return address && *address;
}

std::optional<bool> AccessibilityBusStatus::isEnabled() const {
    const auto reply = call(kBusName, kBusPath, "org.freedesktop.DBus.Properties", "Get",
                            g_variant_new("(ss)", "org.a11y.Status", "IsEnabled"), "(v)", false);
    if (!reply) {
        return std::nullopt;
    }
    GVariant* rawValue = nullptr;
    g_variant_get(reply.get(), "(v)", &rawValue);
    const VariantPtr value(rawValue);
    if (!g_variant_is_of_type(value.get(), G_VARIANT_TYPE_BOOLEAN)) {
        return std::nullopt;
    }
    return g_variant_get_boolean(value.get()) != FALSE;
}

std::optional<std::string> AccessibilityBusStatus::enable() const {
    const bool wasEnabled = isEnabled() == true;
    enableToolkitAccessibilitySetting();
    if (wasEnabled) {
        return std::nullopt;
    }
    // May start the bus launcher through D-Bus activation, which is what we want here.
    call(kBusName, kBusPath, "org.freedesktop.DBus.Properties", "Set",
         g_variant_new("(ssv)", "org.a11y.Status", "IsEnabled", g_variant_new_boolean(TRUE)),
         nullptr, true);
    if (isEnabled() != true) {
        return std::nullopt;
    }
    return std::string(kRestartNotice);
}

}  // namespace plovik
