#include "core/settings/AppSettings.h"

#include <algorithm>
#include <cmath>

#include "core/settings/SettingsFieldReader.h"
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

const EnabledApplication* entryFor(const std::vector<EnabledApplication>& list,
                                   const std::string& bundleIdentifier) {
    const auto found = std::find_if(list.begin(), list.end(), [&](const EnabledApplication& entry) {
        return entry.bundleIdentifier == bundleIdentifier;
    });
    return found == list.end() ? nullptr : &*found;
}

// Each application on its own: one bad member costs that member, one without an identifier
// costs that entry.
std::vector<EnabledApplication> applicationsFromJson(
    const nlohmann::json& array, const std::vector<EnabledApplication>& fallback,
    std::vector<SettingsFieldProblem>& problems) {
    std::vector<EnabledApplication> list;
    for (std::size_t i = 0; i < array.size(); ++i) {
        const auto& element = array[i];
        const std::string place = "applications[" + std::to_string(i) + "]";
        const auto identifier =
            element.is_object() ? JsonFields::string(element, "bundleIdentifier") : std::nullopt;
        if (!identifier) {
            problems.push_back(
                {place, element.is_object() ? "has no bundleIdentifier" : "is not an application"});
            continue;
        }
        const auto* known = entryFor(fallback, *identifier);
        list.push_back(EnabledApplication::fromJson(
            element, known ? *known : EnabledApplication::withDefaults(*identifier), place,
            problems));
    }
    return list;
}

CorrectionEngineKind engineFromJson(const nlohmann::json& json) {
    const auto raw = JsonFields::string(json, "correctionEngine");
    return correctionEngineKindFromRawValue(raw.value_or(""))
        .value_or(CorrectionEngineKind::extended);
}

std::optional<TimePoint> pauseFromJson(const nlohmann::json& member) {
    if (!member.is_number()) {
        return std::nullopt;
    }
    const double clamped =
        std::clamp(member.get<double>(), -kLargestStoredSeconds, kLargestStoredSeconds);
    return ReferenceDate::fromSecondsSinceReferenceDate(clamped);
}

std::optional<CorrectionSound> soundFromJson(const nlohmann::json& member) {
    return member.is_string() ? correctionSoundFromRawValue(member.get<std::string>())
                              : std::nullopt;
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
    // documents of the original format stay as they were; documents written before the
    // engine choice existed, and new ones, read as the extended engine.
    if (convertShortcut != AppSettings().convertShortcut) {
        json["convertShortcut"] = convertShortcut.toJson();
    }
    if (correctionEngine != CorrectionEngineKind::extended) {
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
    std::vector<SettingsFieldProblem> problems;
    auto settings = fromJson(json, AppSettings{}, problems);
    return problems.empty() ? std::optional<AppSettings>(std::move(settings)) : std::nullopt;
}

AppSettings AppSettings::fromJson(const nlohmann::json& json, const AppSettings& fallback,
                                  std::vector<SettingsFieldProblem>& problems) {
    AppSettings settings = fallback;
    if (!json.is_object()) {
        problems.push_back({"", "is not a JSON object"});
        return settings;
    }
    SettingsFieldReader read(json, "", problems);
    read.boolean("monitoringEnabled", settings.monitoringEnabled);
    read.boolean("automaticCorrectionEnabled", settings.automaticCorrectionEnabled);
    read.number("confidenceThreshold", settings.confidenceThreshold);
    read.boolean("playCorrectionSound", settings.playCorrectionSound);
    read.optional("correctionSound", settings.correctionSound, "one of the sounds", soundFromJson);
    read.boolean("showCorrectionNotification", settings.showCorrectionNotification);
    read.boolean("launchAtLogin", settings.launchAtLogin);
    read.optional("pauseUntil", settings.pauseUntil, "a number of seconds", pauseFromJson);
    read.boolean("hasCompletedOnboarding", settings.hasCompletedOnboarding);
    read.required("applications", settings.applications, "a list",
                  [&](const nlohmann::json& member) {
                      return member.is_array() ? std::optional(applicationsFromJson(
                                                     member, fallback.applications, problems))
                                               : std::nullopt;
                  });
    read.required("manualShortcut", settings.manualShortcut, "a shortcut",
                  ShortcutDefinition::fromJson);
    read.required("undoShortcut", settings.undoShortcut, "a shortcut",
                  ShortcutDefinition::fromJson);
    read.required("pauseShortcut", settings.pauseShortcut, "a shortcut",
                  ShortcutDefinition::fromJson);
    // Absent, or damaged, it is the default: files of the original format lack it.
    if (const auto found = json.find("convertShortcut"); found != json.end()) {
        if (const auto shortcut = ShortcutDefinition::fromJson(*found)) {
            settings.convertShortcut = *shortcut;
        }
    }
    // A newer version's engine reads as the described one here, and stays in the file.
    settings.correctionEngine = engineFromJson(json);
    return settings;
}

}  // namespace plovik
