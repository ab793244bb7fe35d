#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace plovik {

// Typed reads of one member of a JSON object; absent when the key is missing or
// the value has another type, so readers can refuse incomplete documents.
class JsonFields {
  public:
    static std::optional<bool> boolean(const nlohmann::json& object, const char* key);
    static std::optional<double> number(const nlohmann::json& object, const char* key);
    static std::optional<std::string> string(const nlohmann::json& object, const char* key);
    // Present and not null.
    static bool has(const nlohmann::json& object, const char* key);
};

}  // namespace plovik
