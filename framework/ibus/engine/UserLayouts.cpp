#include "framework/ibus/engine/UserLayouts.h"

#include <gio/gio.h>
#include <xkbcommon/xkbregistry.h>

#include <memory>
#include <string>

namespace plovik::ibus {

namespace {

constexpr const char* kSourcesSchema = "org.gnome.desktop.input-sources";

struct SettingsUnref {
    void operator()(GSettings* settings) const { g_object_unref(settings); }
};
struct VariantUnref {
    void operator()(GVariant* variant) const { g_variant_unref(variant); }
};
struct RegistryUnref {
    void operator()(rxkb_context* context) const { rxkb_context_unref(context); }
};
using Settings = std::unique_ptr<GSettings, SettingsUnref>;
using Variant = std::unique_ptr<GVariant, VariantUnref>;
using Registry = std::unique_ptr<rxkb_context, RegistryUnref>;

std::optional<EngineName> layoutOf(const char* type, const char* id) {
    const std::string_view kind(type);
    if (kind == "xkb") {
        return EngineName::fromGnomeLayout(id);
    }
    return kind == "ibus" ? EngineName::parse(id) : std::nullopt;
}

Settings sourceSettings() {
    GSettingsSchemaSource* schemas = g_settings_schema_source_get_default();
    GSettingsSchema* schema =
        schemas ? g_settings_schema_source_lookup(schemas, kSourcesSchema, TRUE) : nullptr;
    if (!schema) {
        return Settings(nullptr);
    }
    g_settings_schema_unref(schema);
    return Settings(g_settings_new(kSourcesSchema));
}

EngineList::Entry describe(rxkb_context* registry, const EngineName& name) {
    EngineList::Entry entry{name, name.gnomeLayout(), "", name.layout};
    for (rxkb_layout* layout = registry ? rxkb_layout_first(registry) : nullptr; layout;
         layout = rxkb_layout_next(layout)) {
        const char* variant = rxkb_layout_get_variant(layout);
        if (name.layout != rxkb_layout_get_name(layout) ||
            name.variant != (variant ? variant : "")) {
            continue;
        }
        if (const char* description = rxkb_layout_get_description(layout)) {
            entry.description = description;
        }
        if (const char* brief = rxkb_layout_get_brief(layout)) {
            entry.symbol = brief;
        }
        if (rxkb_iso639_code* code = rxkb_layout_get_iso639_first(layout)) {
            entry.language = rxkb_iso639_code_get_code(code);
        }
        break;
    }
    return entry;
}

}  // namespace

std::vector<EngineName> UserLayouts::configured() {
    std::vector<EngineName> layouts;
    if (const auto settings = sourceSettings()) {
        const Variant sources(g_settings_get_value(settings.get(), "sources"));
        GVariantIter iterator;
        g_variant_iter_init(&iterator, sources.get());
        const char* type = nullptr;
        const char* id = nullptr;
        while (g_variant_iter_next(&iterator, "(&s&s)", &type, &id)) {
            if (auto layout = layoutOf(type, id)) {
                layouts.push_back(std::move(*layout));
            }
        }
    }
    if (layouts.empty()) {
        layouts.push_back(EngineName{"us", ""});
    }
    return layouts;
}

EngineList UserLayouts::engines(const std::vector<EngineName>& layouts) {
    Registry registry(rxkb_context_new(RXKB_CONTEXT_NO_FLAGS));
    // Without the registry the names alone still make working engines.
    if (registry && !rxkb_context_parse_default_ruleset(registry.get())) {
        registry.reset();
    }
    EngineList list;
    for (const auto& layout : layouts) {
        list.add(describe(registry.get(), layout));
    }
    return list;
}

}  // namespace plovik::ibus
