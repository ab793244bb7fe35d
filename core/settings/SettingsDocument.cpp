#include "core/settings/SettingsDocument.h"

#include <string>

namespace plovik {

namespace {

using Json = nlohmann::json;

constexpr const char* kApplications = "applications";

std::string identifierOf(const Json& application) {
    const auto found = application.find("bundleIdentifier");
    return found != application.end() && found->is_string() ? found->get<std::string>() : "";
}

// The field's top-level member: "applications" for "applications[2].isEnabled".
std::string memberOf(const std::string& field) {
    return field.substr(0, field.find_first_of(".["));
}

// Each application as the settings hold it, over what the document holds for it.
Json repairedApplications(const Json& stored, const Json& known) {
    Json list = Json::array();
    for (const auto& application : known) {
        Json entry = Json::object();
        if (stored.is_array()) {
            for (const auto& candidate : stored) {
                if (candidate.is_object() && identifierOf(candidate) == identifierOf(application)) {
                    entry = candidate;
                    break;
                }
            }
        }
        for (const char* key : {"applicationURL", "iconData"}) {
            entry.erase(key);
        }
        for (const auto& [key, value] : application.items()) {
            entry[key] = value;
        }
        list.push_back(std::move(entry));
    }
    return list;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> SettingsDocument::encode(const AppSettings& settings) {
    const auto json = settings.toJson();
    if (!json) {
        return std::nullopt;
    }
    return encode(*json);
}

std::vector<std::uint8_t> SettingsDocument::encode(const Json& object) {
    // Names come from other programs; a stray invalid byte must not stop every later write.
    const std::string text = object.dump(-1, ' ', false, Json::error_handler_t::replace);
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::optional<AppSettings> SettingsDocument::decode(std::span<const std::uint8_t> document) {
    auto reading = read(document, AppSettings{});
    if (!reading.problems.empty()) {
        return std::nullopt;
    }
    return std::move(reading.settings);
}

SettingsDocument::Reading SettingsDocument::read(std::span<const std::uint8_t> document,
                                                 const AppSettings& fallback) {
    Reading reading{fallback, {}, nullptr};
    if (document.empty()) {
        reading.problems.push_back({"", "it is empty"});
        return reading;
    }
    auto json = Json::parse(document.begin(), document.end(), nullptr, false);
    if (json.is_discarded()) {
        reading.problems.push_back({"", "it is not valid JSON"});
        return reading;
    }
    if (!json.is_object()) {
        reading.problems.push_back({"", "it is not a JSON object"});
        return reading;
    }
    reading.settings = AppSettings::fromJson(json, fallback, reading.problems);
    reading.object = std::move(json);
    return reading;
}

void SettingsDocument::repair(Json& object, const AppSettings& settings,
                              const std::vector<SettingsFieldProblem>& problems) {
    const auto known = settings.toJson();
    if (!known || !object.is_object()) {
        return;
    }
    for (const auto& problem : problems) {
        const std::string member = memberOf(problem.field);
        if (member == kApplications) {
            object[kApplications] =
                repairedApplications(object[kApplications], (*known)[kApplications]);
        } else if (known->contains(member)) {
            object[member] = (*known)[member];
        } else if (!member.empty()) {
            object.erase(member);
        }
    }
}

}  // namespace plovik
