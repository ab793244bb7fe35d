#include "core/settings/SettingsEdit.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace plovik {

namespace {

using Json = nlohmann::json;

constexpr const char* kApplications = "applications";
constexpr const char* kIdentifier = "bundleIdentifier";

std::string identifierOf(const Json& application) {
    const auto found = application.find(kIdentifier);
    return found != application.end() && found->is_string() ? found->get<std::string>() : "";
}

const Json* memberOf(const Json& object, const std::string& key) {
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

// Sets in `target` each member that differs between the two objects; one `after` lacks goes.
void applyMembers(const Json& before, const Json& after, Json& target,
                  const std::set<std::string>& skipped = {}) {
    std::set<std::string> keys;
    for (const auto& [key, value] : before.items()) {
        keys.insert(key);
    }
    for (const auto& [key, value] : after.items()) {
        keys.insert(key);
    }
    for (const auto& key : keys) {
        const Json* old = memberOf(before, key);
        const Json* now = memberOf(after, key);
        if (skipped.contains(key) || (old && now && *old == *now)) {
            continue;
        }
        if (now) {
            target[key] = *now;
        } else {
            target.erase(key);
        }
    }
}

// The first application with the identifier, or the list's end.
Json::iterator findApplication(Json& list, const std::string& identifier) {
    return std::find_if(list.begin(), list.end(), [&](const Json& application) {
        return identifierOf(application) == identifier;
    });
}

const Json* findApplication(const Json& list, const std::string& identifier) {
    const auto found = std::find_if(list.begin(), list.end(), [&](const Json& application) {
        return identifierOf(application) == identifier;
    });
    return found == list.end() ? nullptr : &*found;
}

std::vector<std::string> identifiersOf(const Json& list) {
    std::vector<std::string> identifiers;
    for (const auto& application : list) {
        identifiers.push_back(identifierOf(application));
    }
    return identifiers;
}

// The applications both lists hold, in the order `list` has them.
std::vector<std::string> shared(const Json& list, const Json& other) {
    std::vector<std::string> identifiers;
    for (const auto& identifier : identifiersOf(list)) {
        if (findApplication(other, identifier)) {
            identifiers.push_back(identifier);
        }
    }
    return identifiers;
}

// Puts the entries of `order` into the places these entries already take in `list`, in that
// order; entries of other writers keep their places.
void reorder(Json& list, const std::vector<std::string>& order) {
    std::vector<std::size_t> places;
    std::vector<Json> entries;
    std::set<std::string> placed;
    for (const auto& identifier : order) {
        if (!placed.insert(identifier).second) {
            continue;
        }
        const auto found = findApplication(list, identifier);
        if (found != list.end()) {
            places.push_back(static_cast<std::size_t>(found - list.begin()));
            entries.push_back(*found);
        }
    }
    std::sort(places.begin(), places.end());
    for (std::size_t i = 0; i < places.size(); ++i) {
        list[places[i]] = std::move(entries[i]);
    }
}

}  // namespace

std::optional<SettingsEdit> SettingsEdit::between(const AppSettings& before,
                                                  const AppSettings& after) {
    auto old = before.toJson();
    auto now = after.toJson();
    if (!old || !now) {
        return std::nullopt;
    }
    return SettingsEdit(std::move(*old), std::move(*now));
}

void SettingsEdit::applyTo(Json& document) const {
    if (!document.is_object()) {
        document = after_;
        return;
    }
    applyMembers(before_, after_, document, {kApplications});
    if (before_[kApplications] == after_[kApplications]) {
        return;
    }
    auto& list = document[kApplications];
    if (!list.is_array()) {
        list = after_[kApplications];
        return;
    }
    applyToApplications(list);
}

void SettingsEdit::applyToApplications(Json& list) const {
    const Json& before = before_[kApplications];
    const Json& after = after_[kApplications];
    for (const auto& identifier : identifiersOf(before)) {
        if (!findApplication(after, identifier)) {
            list.erase(std::remove_if(list.begin(), list.end(),
                                      [&](const Json& application) {
                                          return identifierOf(application) == identifier;
                                      }),
                       list.end());
        }
    }
    const Json empty = Json::object();
    for (std::size_t i = 0; i < after.size(); ++i) {
        const Json& application = after[i];
        const std::string identifier = identifierOf(application);
        const Json* old = findApplication(before, identifier);
        const auto target = findApplication(list, identifier);
        if (target != list.end()) {
            applyMembers(old ? *old : empty, application, *target);
        } else if (!old) {
            // New here: after the entry it follows in our list, wherever that is now.
            auto place = list.begin();
            for (std::size_t j = i; j-- > 0;) {
                const auto previous = findApplication(list, identifierOf(after[j]));
                if (previous != list.end()) {
                    place = previous + 1;
                    break;
                }
            }
            list.insert(place, application);
        }
        // Changed here but removed by another writer meanwhile: the removal stands.
    }
    if (shared(before, after) != shared(after, before)) {
        reorder(list, identifiersOf(after));
    }
}

}  // namespace plovik
