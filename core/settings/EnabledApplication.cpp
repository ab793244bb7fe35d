#include "core/settings/EnabledApplication.h"

#include <cmath>

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

namespace {

// Optional members: absent or null is "none"; anything else must be valid.
bool readOptionalUrl(const nlohmann::json& json, std::optional<Url>& url) {
    if (!JsonFields::has(json, "applicationURL")) {
        return true;
    }
    const auto text = JsonFields::string(json, "applicationURL");
    url = text ? Url::parse(*text) : std::nullopt;
    return url.has_value();
}

bool readOptionalIcon(const nlohmann::json& json, std::optional<std::vector<std::uint8_t>>& icon) {
    if (!JsonFields::has(json, "iconData")) {
        return true;
    }
    const auto text = JsonFields::string(json, "iconData");
    icon = text ? Base64::decode(*text) : std::nullopt;
    return icon.has_value();
}

}  // namespace

std::optional<EnabledApplication> EnabledApplication::fromJson(const nlohmann::json& json) {
    if (!json.is_object()) {
        return std::nullopt;
    }
    const auto bundleIdentifier = JsonFields::string(json, "bundleIdentifier");
    const auto displayName = JsonFields::string(json, "displayName");
    const auto isEnabled = JsonFields::boolean(json, "isEnabled");
    const auto automatic = JsonFields::boolean(json, "automaticCorrectionEnabled");
    const auto switchSource = JsonFields::boolean(json, "switchInputSourceAfterCorrection");
    const auto manual = JsonFields::boolean(json, "manualCorrectionEnabled");
    const auto threshold = JsonFields::number(json, "confidenceThreshold");
    std::optional<Url> url;
    std::optional<std::vector<std::uint8_t>> icon;
    if (!bundleIdentifier || !displayName || !isEnabled || !automatic || !switchSource || !manual ||
        !threshold || !readOptionalUrl(json, url) || !readOptionalIcon(json, icon)) {
        return std::nullopt;
    }
    return EnabledApplication(*bundleIdentifier, *displayName, std::move(url), std::move(icon),
                              *isEnabled, *automatic, *switchSource, *manual, *threshold);
}

}  // namespace plovik
