#include "core/capture/ShortcutDefinition.h"

#include <cmath>
#include <limits>

namespace plovik {

nlohmann::json ShortcutDefinition::toJson() const {
    return nlohmann::json{{"keyCode", keyCode}, {"modifiers", modifiers}};
}

namespace {

// A whole number that is not negative. Parsed documents hold such numbers unsigned,
// documents built in code hold them signed, and JSON has one kind of number, so 49.0 is
// the key code 49 too.
std::optional<std::uint64_t> wholeNumber(const nlohmann::json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end()) {
        return std::nullopt;
    }
    if (found->is_number_unsigned()) {
        return found->get<std::uint64_t>();
    }
    if (found->is_number_integer()) {
        const auto value = found->get<std::int64_t>();
        return value < 0 ? std::nullopt : std::optional<std::uint64_t>(value);
    }
    if (!found->is_number_float()) {
        return std::nullopt;
    }
    const double value = found->get<double>();
    // 2^64 is the first double beyond every 64-bit value.
    constexpr double kBeyondUnsigned64 = 18446744073709551616.0;
    if (!(value >= 0.0) || value >= kBeyondUnsigned64 || std::floor(value) != value) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(value);
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
