#include "core/settings/EnabledApplication.h"

#include <cmath>

#include "core/settings/SettingsFieldReader.h"
#include "core/support/Base64.h"
#include "core/support/JsonFields.h"

namespace plovik {

EnabledApplication::EnabledApplication(std::string bundleIdentifier, std::string displayName,
                                       std::optional<Url> applicationURL,
                                       std::optional<std::vector<std::uint8_t>> iconData,
                                       bool isEnabled, bool automaticCorrectionEnabled,
                                       bool switchInputSourceAfterCorrection,
                                       bool manualCorrectionEnabled, double confidenceThreshold)
    : bundleIdentifier(std::move(bundleIdentifier)),
      displayName(std::move(displayName)),
      applicationURL(std::move(applicationURL)),
      iconData(std::move(iconData)),
      isEnabled(isEnabled),
      automaticCorrectionEnabled(automaticCorrectionEnabled),
      switchInputSourceAfterCorrection(switchInputSourceAfterCorrection),
      manualCorrectionEnabled(manualCorrectionEnabled),
      confidenceThreshold(confidenceThreshold) {}

std::optional<nlohmann::json> EnabledApplication::toJson() const {
    if (!std::isfinite(confidenceThreshold)) {
        return std::nullopt;
    }
    nlohmann::json json{
        {"bundleIdentifier", bundleIdentifier},
        {"displayName", displayName},
        {"isEnabled", isEnabled},
        {"automaticCorrectionEnabled", automaticCorrectionEnabled},
        {"switchInputSourceAfterCorrection", switchInputSourceAfterCorrection},
        {"manualCorrectionEnabled", manualCorrectionEnabled},
        {"confidenceThreshold", confidenceThreshold},
    };
    if (applicationURL) {
        json["applicationURL"] = applicationURL->absoluteString();
    }
    if (iconData) {
        json["iconData"] = Base64::encode(*iconData);
    }
    return json;
}

EnabledApplication EnabledApplication::withDefaults(std::string bundleIdentifier) {
    std::string name = bundleIdentifier;
    return EnabledApplication(std::move(bundleIdentifier), std::move(name), std::nullopt,
                              std::nullopt, true, true, true, true, 0.9);
}

std::optional<EnabledApplication> EnabledApplication::fromJson(const nlohmann::json& json) {
    const auto identifier = JsonFields::string(json, "bundleIdentifier");
    if (!identifier) {
        return std::nullopt;
    }
    std::vector<SettingsFieldProblem> problems;
    auto application = fromJson(json, withDefaults(*identifier), "", problems);
    return problems.empty() ? std::optional<EnabledApplication>(std::move(application))
                            : std::nullopt;
}

EnabledApplication EnabledApplication::fromJson(const nlohmann::json& json,
                                                const EnabledApplication& fallback,
                                                const std::string& place,
                                                std::vector<SettingsFieldProblem>& problems) {
    EnabledApplication application = fallback;
    if (!json.is_object()) {
        problems.push_back({place, "is not an application"});
        return application;
    }
    SettingsFieldReader read(json, place, problems);
    read.text("bundleIdentifier", application.bundleIdentifier);
    read.text("displayName", application.displayName);
    read.optional(
        "applicationURL", application.applicationURL, "a URL", [](const nlohmann::json& member) {
            return member.is_string() ? Url::parse(member.get<std::string>()) : std::nullopt;
        });
    read.optional("iconData", application.iconData, "Base64", [](const nlohmann::json& member) {
        return member.is_string() ? Base64::decode(member.get<std::string>()) : std::nullopt;
    });
    read.boolean("isEnabled", application.isEnabled);
    read.boolean("automaticCorrectionEnabled", application.automaticCorrectionEnabled);
    read.boolean("switchInputSourceAfterCorrection", application.switchInputSourceAfterCorrection);
    read.boolean("manualCorrectionEnabled", application.manualCorrectionEnabled);
    read.number("confidenceThreshold", application.confidenceThreshold);
    return application;
}

}  // namespace plovik
