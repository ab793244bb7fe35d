#include "framework/ibus/logic/EngineList.h"

#include <glib.h>

#include <algorithm>
#include <memory>

namespace plovik::ibus {

namespace {

std::string escaped(const std::string& text) {
    const std::unique_ptr<gchar, decltype(&g_free)> markup(
        g_markup_escape_text(text.c_str(), static_cast<gssize>(text.size())), g_free);
    return markup.get();
}

void element(std::string& xml, const char* name, const std::string& text) {
    xml += std::string("    <") + name + ">" + escaped(text) + "</" + name + ">\n";
}

}  // namespace

void EngineList::add(Entry entry) {
    const bool known = std::any_of(entries_.begin(), entries_.end(),
                                   [&](const Entry& other) { return other.name == entry.name; });
    if (!known) {
        entries_.push_back(std::move(entry));
    }
}

std::string EngineList::xml() const {
    std::string xml = "<engines>\n";
    for (const auto& entry : entries_) {
        xml += "  <engine>\n";
        element(xml, "name", entry.name.name());
        element(xml, "language", entry.language);
        element(xml, "license", "not yet chosen");
        element(xml, "author", "The Plovik developers");
        element(xml, "layout", entry.name.layout);
        if (!entry.name.variant.empty()) {
            element(xml, "layout_variant", entry.name.variant);
        }
        element(xml, "longname", entry.description + ", Plovik");
        element(xml, "description",
                entry.description + " keyboard; Plovik corrects words typed with the wrong layout");
        element(xml, "icon", "io.github.plovik.Plovik");
        element(xml, "symbol", entry.symbol);
        element(xml, "rank", "0");
        xml += "  </engine>\n";
    }
    return xml + "</engines>\n";
}

}  // namespace plovik::ibus
