#include "platform/gnome/GnomeInputSource.h"

#include <glib.h>

#include "platform/linux/GlibHandles.h"

namespace plovik {

std::optional<std::vector<GnomeInputSource>> GnomeInputSource::parseList(std::string_view text) {
    const std::string copy(text);
    const glib::Variant value(
        g_variant_parse(G_VARIANT_TYPE("a(ss)"), copy.c_str(), nullptr, nullptr, nullptr));
    if (!value) {
        return std::nullopt;
    }
    std::vector<GnomeInputSource> sources;
    GVariantIter iterator;
    g_variant_iter_init(&iterator, value.get());
    const char* type = nullptr;
    const char* id = nullptr;
    while (g_variant_iter_next(&iterator, "(&s&s)", &type, &id)) {
        sources.push_back({type, id});
    }
    return sources;
}

std::string GnomeInputSource::listText(const std::vector<GnomeInputSource>& sources) {
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE("a(ss)"));
    for (const auto& source : sources) {
        g_variant_builder_add(&builder, "(ss)", source.type.c_str(), source.id.c_str());
    }
    const glib::Variant value(g_variant_ref_sink(g_variant_builder_end(&builder)));
    const glib::String text(g_variant_print(value.get(), FALSE));
    return text.get();
}

}  // namespace plovik
