#include "core/capture/ShortcutDefinition.h"

#include <limits>

namespace plovik {

nlohmann::json ShortcutDefinition::toJson() const {
    return nlohmann::json{{"keyCode", keyCode}, {"modifiers", modifiers}};
}

std::optional<ShortcutDefinition> ShortcutDefinition::fromJson(const nlohmann::json& json) {
    if (!json.is_object()) {
        return std::nullopt;
    }
    const auto keyCode = json.find("keyCode");
    const auto modifiers = json.find("modifiers");
    if (keyCode == json.end() || modifiers == json.end() || !keyCode->is_number_unsigned() ||
        !modifiers->is_number_unsigned()) {
        return std::nullopt;
    }
    const auto code = keyCode->get<std::uint64_t>();
    if (code > std::numeric_limits<std::uint16_t>::max()) {
        return std::nullopt;
    }
    return ShortcutDefinition(static_cast<std::uint16_t>(code), modifiers->get<std::uint64_t>());
}

}  // namespace plovik
