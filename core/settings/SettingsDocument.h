#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <vector>

#include "core/settings/AppSettings.h"
#include "core/settings/SettingsFieldProblem.h"

namespace plovik {

// The stored form of the settings: one compact UTF-8 JSON object. Keys this version does not
// know belong to a newer one and are kept as they are.
class SettingsDocument {
  public:
    struct Reading {
        AppSettings settings;
        // Empty when every setting was read. A document that is no JSON object at all gives
        // one problem with an empty field.
        std::vector<SettingsFieldProblem> problems;
        // The stored object as it is, unknown keys included; null when there is none.
        nlohmann::json object;
    };

    // Absent when the settings cannot be written (a threshold that is not finite).
    static std::optional<std::vector<std::uint8_t>> encode(const AppSettings& settings);
    static std::vector<std::uint8_t> encode(const nlohmann::json& object);
    // Absent when the bytes are not a complete, well-typed settings document.
    static std::optional<AppSettings> decode(std::span<const std::uint8_t> document);
    // Every setting that can be read; the others keep their values in `fallback`.
    static Reading read(std::span<const std::uint8_t> document, const AppSettings& fallback);
    // Writes the settings over the members named in the problems; applications that could
    // not be read are left out. Other members stay as they are.
    static void repair(nlohmann::json& object, const AppSettings& settings,
                       const std::vector<SettingsFieldProblem>& problems);
};

}  // namespace plovik
