#include "platform/gnome/GSettingsInputSources.h"

#include <gio/gio.h>

#include "platform/linux/GlibHandles.h"

namespace plovik {

namespace {

glib::Object<GSettings> settings() {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema =
        source ? g_settings_schema_source_lookup(source, GSettingsInputSources::kSchema, TRUE)
               : nullptr;
    if (!schema) {
        return glib::Object<GSettings>(nullptr);
    }
    g_settings_schema_unref(schema);
    return glib::Object<GSettings>(g_settings_new(GSettingsInputSources::kSchema));
}

GVariant* listValue(const std::vector<GnomeInputSource>& sources) {
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE("a(ss)"));
    for (const auto& source : sources) {
        g_variant_builder_add(&builder, "(ss)", source.type.c_str(), source.id.c_str());
    }
    return g_variant_builder_end(&builder);
}

}  // namespace

std::optional<std::vector<GnomeInputSource>> GSettingsInputSources::read(const char* key) const {
    const auto handle = settings();
    if (!handle) {
        return std::nullopt;
    }
    const glib::Variant value(g_settings_get_value(handle.get(), key));
    const glib::String text(g_variant_print(value.get(), FALSE));
    return GnomeInputSource::parseList(text.get());
}

std::optional<std::vector<GnomeInputSource>> GSettingsInputSources::sources() const {
    return read("sources");
}

std::optional<std::vector<GnomeInputSource>> GSettingsInputSources::mruSources() const {
    return read("mru-sources");
}

bool GSettingsInputSources::write(const std::vector<GnomeInputSource>& sources,
                                  const std::vector<GnomeInputSource>& mruSources) {
    const auto handle = settings();
    if (!handle) {
        return false;
    }
    // The order of use first: GNOME picks the current source from it when the list changes.
    g_settings_delay(handle.get());
    const bool written = g_settings_set_value(handle.get(), "mru-sources", listValue(mruSources)) &&
                         g_settings_set_value(handle.get(), "sources", listValue(sources));
    g_settings_apply(handle.get());
    g_settings_sync();
    return written;
}

}  // namespace plovik
