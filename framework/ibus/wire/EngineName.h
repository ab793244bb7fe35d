#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace plovik::ibus {

// The name of the Plovik engine of one XKB layout: "plovik-" and the layout as GNOME
// names its own layout sources ("us", "us+dvorak"), so that each of the user's
// layouts has exactly one engine and back.
struct EngineName {
    static constexpr std::string_view kPrefix = "plovik-";

    std::string layout;
    std::string variant;

    // Absent unless `name` is a Plovik engine name of plain XKB names.
    static std::optional<EngineName> parse(std::string_view name);
    // From GNOME's id of a layout source; absent for anything else.
    static std::optional<EngineName> fromGnomeLayout(std::string_view id);

    std::string name() const;
    std::string gnomeLayout() const;

    bool operator==(const EngineName&) const = default;
};

}  // namespace plovik::ibus
