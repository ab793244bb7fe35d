#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace plovik {

// An XKB layout with its optional variant, and its input source id
// ("xkb:us", "xkb:us(dvorak)").
struct XkbLayoutName {
    std::string layout;
    std::string variant;

    // Absent unless the id has that form with plain names (no separators that
    // the XKB rules would read as several layouts or options).
    static std::optional<XkbLayoutName> fromId(std::string_view id);
    std::string id() const;

    bool operator==(const XkbLayoutName&) const = default;
};

}  // namespace plovik
