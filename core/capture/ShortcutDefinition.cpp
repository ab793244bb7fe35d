#include "core/capture/ShortcutDefinition.h"

#include <limits>

namespace plovik {

nlohmann::json ShortcutDefinition::toJson() const {
    return nlohmann::json{{"keyCode", keyCode}, {"modifiers", modifiers}};
}

namespace {

// A whole number that is not negative. Parsed documents hold such numbers unsigned,
// documents built in code hold them signed.
std::optional<std::uint64_t> wholeNumber(const nlohmann::json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_number_integer()) {
        return std::nullopt;
    }
    if (found->is_number_unsigned()) {
        return found->get<std::uint64_t>();
    }
    const auto value = found->get<std::int64_t>();
    return value < 0 ? std::nullopt : std::optional<std::uint64_t>(value);
}

}  // namespace

std::optional<ShortcutDefinition> ShortcutDefinition::fromJson(const nlohmann::json& json) {
    if (!json.is_object()) {
        return std::nullopt;
    }
    const auto keyCode = wholeNumber(json, "keyCode");
    const auto modifiers = wholeNumber(json, "modifiers");
    if (!keyCode || !modifiers || *keyCode > std::numeric_limits<std::uint16_t>::max()) {
        return std::nullopt;
    }
    return ShortcutDefinition(static_cast<std::uint16_t>(*keyCode), *modifiers);
}

}  // namespace plovik
