#include "framework/ibus/wire/EngineName.h"

#include <algorithm>

namespace plovik::ibus {

namespace {

// XKB names are lower-case words with digits, underscores and dashes.
bool isPlainName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '-';
    });
}

}  // namespace

std::optional<EngineName> EngineName::fromGnomeLayout(std::string_view id) {
    const auto plus = id.find('+');
    EngineName name{std::string(id.substr(0, plus)), plus == std::string_view::npos
                                                         ? std::string()
                                                         : std::string(id.substr(plus + 1))};
    if (!isPlainName(name.layout) ||
        (plus != std::string_view::npos && !isPlainName(name.variant))) {
        return std::nullopt;
    }
    return name;
}

std::optional<EngineName> EngineName::parse(std::string_view name) {
    if (!name.starts_with(kPrefix)) {
        return std::nullopt;
    }
    return fromGnomeLayout(name.substr(kPrefix.size()));
}

std::string EngineName::gnomeLayout() const {
    return variant.empty() ? layout : layout + "+" + variant;
}

std::string EngineName::name() const {
    return std::string(kPrefix) + gnomeLayout();
}

}  // namespace plovik::ibus
