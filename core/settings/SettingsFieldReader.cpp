#include "core/settings/SettingsFieldReader.h"

namespace plovik {

SettingsFieldReader::SettingsFieldReader(const nlohmann::json& object, std::string place,
                                         std::vector<SettingsFieldProblem>& problems)
    : object_(object), place_(std::move(place)), problems_(problems) {}

void SettingsFieldReader::boolean(const char* key, bool& value) {
    required(key, value, "true or false", [](const nlohmann::json& member) {
        return member.is_boolean() ? std::optional<bool>(member.get<bool>()) : std::nullopt;
    });
}

void SettingsFieldReader::number(const char* key, double& value) {
    required(key, value, "a number", [](const nlohmann::json& member) {
        return member.is_number() ? std::optional<double>(member.get<double>()) : std::nullopt;
    });
}

void SettingsFieldReader::text(const char* key, std::string& value) {
    required(key, value, "text", [](const nlohmann::json& member) {
        return member.is_string() ? std::optional<std::string>(member.get<std::string>())
                                  : std::nullopt;
    });
}

void SettingsFieldReader::note(const char* key, std::string reason) {
    problems_.push_back(
        {place_.empty() ? std::string(key) : place_ + "." + key, std::move(reason)});
}

const nlohmann::json* SettingsFieldReader::find(const char* key) {
    const auto found = object_.find(key);
    if (found == object_.end()) {
        note(key, "is missing");
        return nullptr;
    }
    return &*found;
}

}  // namespace plovik
