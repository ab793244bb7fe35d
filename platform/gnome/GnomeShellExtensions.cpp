#include "platform/gnome/GnomeShellExtensions.h"

#include <gio/gio.h>

#include <algorithm>
#include <vector>

#include "platform/linux/GlibHandles.h"

namespace plovik {

namespace {

constexpr const char* kShellSchema = "org.gnome.shell";
constexpr const char* kEnabledKey = "enabled-extensions";
constexpr gint kTimeout = 2000;
// ExtensionState of GNOME Shell's extensionUtils.
constexpr double kStateEnabled = 1;
constexpr double kStateUninstalled = 99;

glib::Object<GDBusConnection> sessionBus() {
    return glib::Object<GDBusConnection>(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
}

glib::Object<GSettings> shellSettings() {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema =
        source ? g_settings_schema_source_lookup(source, kShellSchema, TRUE) : nullptr;
    if (!schema) {
        return glib::Object<GSettings>(nullptr);
    }
    g_settings_schema_unref(schema);
    return glib::Object<GSettings>(g_settings_new(kShellSchema));
}

// Adds or removes the uuid in the list the Shell reads when it starts.
bool listInSettings(const std::string& uuid, bool listed) {
    const auto settings = shellSettings();
    if (!settings) {
        return false;
    }
    const glib::StringList current(g_settings_get_strv(settings.get(), kEnabledKey));
    std::vector<std::string> list;
    for (gchar** entry = current.get(); *entry; ++entry) {
        if (uuid != *entry) {
            list.emplace_back(*entry);
        }
    }
    if (listed) {
        list.push_back(uuid);
    }
    std::vector<const gchar*> strings;
    for (const auto& entry : list) {
        strings.push_back(entry.c_str());
    }
    strings.push_back(nullptr);
    const bool written = g_settings_set_strv(settings.get(), kEnabledKey, strings.data());
    g_settings_sync();
    return written;
}

}  // namespace

GnomeExtensionControl::State GnomeShellExtensions::state(const std::string& uuid) {
    const auto bus = sessionBus();
    if (!bus) {
        return State::shellUnreachable;
    }
    const glib::Variant reply(g_dbus_connection_call_sync(
        bus.get(), "org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell.Extensions",
        "GetExtensionInfo", g_variant_new("(s)", uuid.c_str()), G_VARIANT_TYPE("(a{sv})"),
        G_DBUS_CALL_FLAGS_NO_AUTO_START, kTimeout, nullptr, nullptr));
    if (!reply) {
        return State::shellUnreachable;
    }
    const glib::Variant info(g_variant_get_child_value(reply.get(), 0));
    double value = kStateUninstalled;
    if (!g_variant_lookup(info.get(), "state", "d", &value) || value == kStateUninstalled) {
        return State::unknownToShell;
    }
    return value == kStateEnabled ? State::active : State::inactive;
}

bool GnomeShellExtensions::call(const char* method, const std::string& uuid) {
    const auto bus = sessionBus();
    if (!bus) {
        return false;
    }
    const glib::Variant reply(g_dbus_connection_call_sync(
        bus.get(), "org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell.Extensions", method,
        g_variant_new("(s)", uuid.c_str()), G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NO_AUTO_START,
        kTimeout, nullptr, nullptr));
    gboolean done = FALSE;
    if (reply) {
        g_variant_get(reply.get(), "(b)", &done);
    }
    return done;
}

bool GnomeShellExtensions::enable(const std::string& uuid) {
    if (state(uuid) == State::active) {
        return true;
    }
    // A Shell that does not know the extension yet loads it at the next log-in, from
    // the list in the settings.
    return call("EnableExtension", uuid) || listInSettings(uuid, true);
}

bool GnomeShellExtensions::disable(const std::string& uuid) {
    return call("DisableExtension", uuid) || listInSettings(uuid, false);
}

}  // namespace plovik
