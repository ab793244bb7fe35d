#include "core/layouts/KeyboardLayout.h"

#include "core/support/HashCombine.h"
#include "core/text/CaseMapping.h"

namespace plovik {

std::string KeyboardLayout::normalizedLanguageTag(std::string_view tag) {
    std::string language(tag);
    for (char& c : language) {
        if (c == '_') {
            c = '-';
        }
    }
    return text::CaseMapping::lowercased(language);
}

std::optional<std::string> KeyboardLayout::baseLanguageOf(std::string_view tag) {
    const std::string language = normalizedLanguageTag(tag);
    // Empty pieces are skipped, so "-en" still names English and "" or "-" name nothing.
    const auto start = language.find_first_not_of('-');
    if (start == std::string::npos) {
        return std::nullopt;
    }
    return language.substr(start, language.find('-', start) - start);
}

std::optional<std::string> KeyboardLayout::primaryLanguage() const {
    if (languages.empty()) {
        return std::nullopt;
    }
    return normalizedLanguageTag(languages.front());
}

std::optional<std::string> KeyboardLayout::baseLanguage() const {
    if (languages.empty()) {
        return std::nullopt;
    }
    return baseLanguageOf(languages.front());
}

nlohmann::json KeyboardLayout::toJson() const {
    return nlohmann::json{{"id", id}, {"displayName", displayName}, {"languages", languages}};
}

std::optional<KeyboardLayout> KeyboardLayout::fromJson(const nlohmann::json& json) {
    if (!json.is_object()) {
        return std::nullopt;
    }
    const auto id = json.find("id");
    const auto name = json.find("displayName");
    const auto languages = json.find("languages");
    if (id == json.end() || name == json.end() || languages == json.end() || !id->is_string() ||
        !name->is_string() || !languages->is_array()) {
        return std::nullopt;
    }
    KeyboardLayout layout{id->get<std::string>(), name->get<std::string>(), {}};
    for (const auto& language : *languages) {
        if (!language.is_string()) {
            return std::nullopt;
        }
        layout.languages.push_back(language.get<std::string>());
    }
    return layout;
}

}  // namespace plovik

std::size_t std::hash<plovik::KeyboardLayout>::operator()(
    const plovik::KeyboardLayout& layout) const noexcept {
    const std::hash<std::string> hashString;
    std::size_t seed = hashString(layout.id);
    plovik::hashCombine(seed, hashString(layout.displayName));
    plovik::hashCombine(seed, layout.languages.size());
    for (const auto& language : layout.languages) {
        plovik::hashCombine(seed, hashString(language));
    }
    return seed;
}
