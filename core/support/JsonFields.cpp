#include "core/support/JsonFields.h"

namespace plovik {

std::optional<bool> JsonFields::boolean(const nlohmann::json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_boolean()) {
        return std::nullopt;
    }
    return found->get<bool>();
}

std::optional<double> JsonFields::number(const nlohmann::json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_number()) {
        return std::nullopt;
    }
    return found->get<double>();
}

std::optional<std::string> JsonFields::string(const nlohmann::json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string()) {
        return std::nullopt;
    }
    return found->get<std::string>();
}

bool JsonFields::has(const nlohmann::json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && !found->is_null();
}

}  // namespace plovik
