#pragma once

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "core/settings/SettingsFieldProblem.h"
#include "core/support/Url.h"

namespace plovik {

// One application the user enabled, with its own switches and threshold;
// identified by its bundle identifier.
struct EnabledApplication {
    // Larger icons are dropped when settings are loaded.
    static constexpr std::size_t kMaximumIconBytes = 524'288;

    std::string bundleIdentifier;
    std::string displayName;
    std::optional<Url> applicationURL;
    std::optional<std::vector<std::uint8_t>> iconData;  // PNG
    bool isEnabled;
    bool automaticCorrectionEnabled;
    bool switchInputSourceAfterCorrection;
    bool manualCorrectionEnabled;
    double confidenceThreshold;

    EnabledApplication(std::string bundleIdentifier, std::string displayName,
                       std::optional<Url> applicationURL,
                       std::optional<std::vector<std::uint8_t>> iconData, bool isEnabled,
                       bool automaticCorrectionEnabled, bool switchInputSourceAfterCorrection,
                       bool manualCorrectionEnabled, double confidenceThreshold);

    // Absent when the threshold is not a finite number, which JSON cannot hold.
    std::optional<nlohmann::json> toJson() const;
    // Absent when a required key is missing, a value has the wrong type, the URL is
    // malformed or the icon is not valid Base64.
    static std::optional<EnabledApplication> fromJson(const nlohmann::json& json);
    // Every member that can be read; each one that cannot is taken from `fallback` and named
    // in `problems` below `place` ("applications[2]").
    static EnabledApplication fromJson(const nlohmann::json& json,
                                       const EnabledApplication& fallback, const std::string& place,
                                       std::vector<SettingsFieldProblem>& problems);
    // A new entry for the application, with every switch on and the usual threshold.
    static EnabledApplication withDefaults(std::string bundleIdentifier);

    bool operator==(const EnabledApplication&) const = default;
};

}  // namespace plovik
