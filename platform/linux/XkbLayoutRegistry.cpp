#include "platform/linux/XkbLayoutRegistry.h"

#include <unicode/locid.h>

#include <algorithm>

#include "platform/linux/XkbHandles.h"

namespace plovik {
namespace {

std::string stringOf(const char* value) {
    return value ? value : "";
}

std::vector<std::string> languagesOf(rxkb_layout* layout) {
    std::vector<std::string> languages;
    for (auto* code = rxkb_layout_get_iso639_first(layout); code;
         code = rxkb_iso639_code_next(code)) {
        const std::string language =
            XkbLayoutRegistry::twoLetterLanguage(stringOf(rxkb_iso639_code_get_code(code)));
        if (!language.empty() &&
            std::find(languages.begin(), languages.end(), language) == languages.end()) {
            languages.push_back(language);
        }
    }
    return languages;
}

}  // namespace

XkbLayoutRegistry::XkbLayoutRegistry(const std::string& includePath) {
    xkb::RegistryContext context(rxkb_context_new(RXKB_CONTEXT_NO_DEFAULT_INCLUDES));
    if (!context || !rxkb_context_include_path_append(context.get(), includePath.c_str())) {
        return;
    }
    rxkb_context_set_log_level(context.get(), RXKB_LOG_LEVEL_CRITICAL);
    if (!rxkb_context_parse(context.get(), "evdev")) {
        return;
    }
    for (auto* layout = rxkb_layout_first(context.get()); layout;
         layout = rxkb_layout_next(layout)) {
        Entry entry{
            {stringOf(rxkb_layout_get_name(layout)), stringOf(rxkb_layout_get_variant(layout))},
            stringOf(rxkb_layout_get_description(layout)),
            languagesOf(layout)};
        entries_.insert_or_assign(entry.name.id(), std::move(entry));
    }
    // A variant without languages of its own speaks those of its layout.
    for (auto& [id, entry] : entries_) {
        if (entry.languages.empty() && !entry.name.variant.empty()) {
            if (const auto base = entries_.find(XkbLayoutName{entry.name.layout, {}}.id());
                base != entries_.end()) {
                entry.languages = base->second.languages;
            }
        }
    }
}

std::optional<XkbLayoutRegistry::Entry> XkbLayoutRegistry::find(const XkbLayoutName& name) const {
    const auto found = entries_.find(name.id());
    if (found == entries_.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::string XkbLayoutRegistry::twoLetterLanguage(const std::string& code) {
    // ICU knows the ISO 639-2 bibliographic and terminology codes ("ger", "deu").
    const icu::Locale locale = icu::Locale::createCanonical(code.c_str());
    const std::string language = stringOf(locale.getLanguage());
    return language.empty() ? code : language;
}

}  // namespace plovik
