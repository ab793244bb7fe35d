#include "core/settings/AppSettings.h"

#include <algorithm>
#include <cmath>

#include "core/support/JsonFields.h"
#include "core/support/ReferenceDate.h"

namespace plovik {
namespace {

// Beyond this, a time no longer fits the clock's nanosecond count; such a pause is
// kept as the farthest representable moment rather than refused.
constexpr double kLargestStoredSeconds = 8.0e9;

std::optional<nlohmann::json> applicationsToJson(const std::vector<EnabledApplication>& list) {
    auto array = nlohmann::json::array();
    for (const auto& application : list) {
        auto json = application.toJson();
        if (!json) {
            return std::nullopt;
        }
        array.push_back(std::move(*json));
    }
    return array;
}

std::optional<std::vector<EnabledApplication>> applicationsFromJson(const nlohmann::json& json) {
    const auto found = json.find("applications");
    if (found == json.end() || !found->is_array()) {
        return std::nullopt;
    }
    std::vector<EnabledApplication> list;
    for (const auto& element : *found) {
        auto application = EnabledApplication::fromJson(element);
        if (!application) {
            return std::nullopt;
        }
        list.push_back(std::move(*application));
    }
    return list;
}

std::optional<ShortcutDefinition> shortcutFromJson(const nlohmann::json& json, const char* key) {
    const auto found = json.find(key);
    return found == json.end() ? std::nullopt : ShortcutDefinition::fromJson(*found);
}

bool readOptionalSound(const nlohmann::json& json, std::optional<CorrectionSound>& sound) {
    sound.reset();
    if (!JsonFields::has(json, "correctionSound")) {
        return true;
    }
    const auto raw = JsonFields::string(json, "correctionSound");
    sound = raw ? correctionSoundFromRawValue(*raw) : std::nullopt;
    return sound.has_value();
}

ShortcutDefinition convertShortcutFromJson(const nlohmann::json& json) {
    return shortcutFromJson(json, "convertShortcut").value_or(AppSettings().convertShortcut);
}

CorrectionEngineKind engineFromJson(const nlohmann::json& json) {
    const auto raw = JsonFields::string(json, "correctionEngine");
    return correctionEngineKindFromRawValue(raw.value_or(""))
        .value_or(CorrectionEngineKind::described);
}

bool readOptionalPause(const nlohmann::json& json, std::optional<TimePoint>& pause) {
    if (!JsonFields::has(json, "pauseUntil")) {
        return true;
    }
    const auto seconds = JsonFields::number(json, "pauseUntil");
    if (seconds) {
        const double clamped = std::clamp(*seconds, -kLargestStoredSeconds, kLargestStoredSeconds);
        pause = ReferenceDate::fromSecondsSinceReferenceDate(clamped);
    }
    return seconds.has_value();
}

}  // namespace

std::optional<nlohmann::json> AppSettings::toJson() const {
    auto list = applicationsToJson(applications);
    if (!list || !std::isfinite(confidenceThreshold)) {
        return std::nullopt;
    }
    nlohmann::json json{
        {"monitoringEnabled", monitoringEnabled},
        {"automaticCorrectionEnabled", automaticCorrectionEnabled},
        {"confidenceThreshold", confidenceThreshold},
        {"playCorrectionSound", playCorrectionSound},
        {"showCorrectionNotification", showCorrectionNotification},
        {"launchAtLogin", launchAtLogin},
        {"hasCompletedOnboarding", hasCompletedOnboarding},
        {"applications", std::move(*list)},
        {"manualShortcut", manualShortcut.toJson()},
        {"undoShortcut", undoShortcut.toJson()},
        {"pauseShortcut", pauseShortcut.toJson()},
    };
    // Later keys are written only when they differ from what an absent key means, so that
    // documents of the original format stay as they were.
    if (convertShortcut != AppSettings().convertShortcut) {
        json["convertShortcut"] = convertShortcut.toJson();
    }
    if (correctionEngine != CorrectionEngineKind::described) {
        json["correctionEngine"] = std::string(rawValue(correctionEngine));
    }
    if (correctionSound) {
        json["correctionSound"] = std::string(rawValue(*correctionSound));
    }
    if (pauseUntil) {
        json["pauseUntil"] = ReferenceDate::secondsSinceReferenceDate(*pauseUntil);
    }
    return json;
}

std::optional<AppSettings> AppSettings::fromJson(const nlohmann::json& json) {
    if (!json.is_object()) {
        return std::nullopt;
    }
    const auto monitoring = JsonFields::boolean(json, "monitoringEnabled");
    const auto automatic = JsonFields::boolean(json, "automaticCorrectionEnabled");
    const auto threshold = JsonFields::number(json, "confidenceThreshold");
    const auto playSound = JsonFields::boolean(json, "playCorrectionSound");
    const auto notify = JsonFields::boolean(json, "showCorrectionNotification");
    const auto launch = JsonFields::boolean(json, "launchAtLogin");
    const auto onboarded = JsonFields::boolean(json, "hasCompletedOnboarding");
    auto applications = applicationsFromJson(json);
    const auto manual = shortcutFromJson(json, "manualShortcut");
    const auto undo = shortcutFromJson(json, "undoShortcut");
    const auto pause = shortcutFromJson(json, "pauseShortcut");
    AppSettings settings;
    if (!monitoring || !automatic || !threshold || !playSound || !notify || !launch || !onboarded ||
        !applications || !manual || !undo || !pause ||
        !readOptionalSound(json, settings.correctionSound) ||
        !readOptionalPause(json, settings.pauseUntil)) {
        return std::nullopt;
    }
    settings.monitoringEnabled = *monitoring;
    settings.automaticCorrectionEnabled = *automatic;
    settings.confidenceThreshold = *threshold;
    settings.playCorrectionSound = *playSound;
    settings.showCorrectionNotification = *notify;
    settings.launchAtLogin = *launch;
    settings.hasCompletedOnboarding = *onboarded;
    settings.applications = std::move(*applications);
    settings.manualShortcut = *manual;
    settings.undoShortcut = *undo;
    settings.pauseShortcut = *pause;
    settings.convertShortcut = convertShortcutFromJson(json);
    settings.correctionEngine = engineFromJson(json);
    return settings;
}

}  // namespace plovik
