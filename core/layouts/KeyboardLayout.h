#pragma once

#include <cstddef>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plovik {

// A keyboard layout's identity: the input source id, its name, and its languages
// (most important first).
struct KeyboardLayout {
    std::string id;
    std::string displayName;
    std::vector<std::string> languages;

    // Input source ids on Linux name the XKB layout ("xkb:us", "xkb:ru").
    static KeyboardLayout english() { return {"xkb:us", "English", {"en"}}; }
    static KeyboardLayout russian() { return {"xkb:ru", "Russian", {"ru"}}; }

    // The first language with "_" turned into "-", lower-cased ("pt_BR" gives "pt-br").
    std::optional<std::string> primaryLanguage() const;
    // The first non-empty "-"-separated piece of the primary language ("pt-br" gives "pt");
    // absent when there is none.
    std::optional<std::string> baseLanguage() const;

    // A language tag with "_" turned into "-", lower-cased.
    static std::string normalizedLanguageTag(std::string_view tag);
    // The tag's first non-empty piece, normalised ("ru_RU" and "-RU" give "ru").
    static std::optional<std::string> baseLanguageOf(std::string_view tag);

    nlohmann::json toJson() const;
    // Absent when a key is missing or has the wrong type.
    static std::optional<KeyboardLayout> fromJson(const nlohmann::json& json);

    bool operator==(const KeyboardLayout&) const = default;
};

}  // namespace plovik

template <>
struct std::hash<plovik::KeyboardLayout> {
    std::size_t operator()(const plovik::KeyboardLayout& layout) const noexcept;
};
