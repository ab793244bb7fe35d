#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plovik {

// One of GNOME's input sources as its settings store it: ("xkb", "us+dvorak"),
// ("ibus", "plovik-ru").
struct GnomeInputSource {
    std::string type;
    std::string id;

    // GVariant text of a list, as `gsettings` prints and reads it:
    // [('xkb', 'us'), ('ibus', 'plovik-ru')]. Absent when it is not such a list.
    static std::optional<std::vector<GnomeInputSource>> parseList(std::string_view text);
    static std::string listText(const std::vector<GnomeInputSource>& sources);

    bool operator==(const GnomeInputSource&) const = default;
};

}  // namespace plovik
