#include "app/coordinator/InstalledApplicationService.h"

#include <algorithm>
#include <array>
#include <utility>

namespace plovik {

namespace {

// Flathub ids first; "slack" is Slack's own package, "telegramdesktop" the entry that
// Telegram's self-updating download registers.
constexpr std::array<InstalledApplicationService::SuggestionRow, 4> kSuggestions{{
    {"com.slack.Slack", "Slack"},
    {"slack", "Slack"},
    {"org.telegram.desktop", "Telegram"},
    {"telegramdesktop", "Telegram"},
}};

// The last path component without its extension: "/a/Foo Bar.desktop" gives "Foo Bar".
std::string fileStem(const Url& url) {
    std::string path = url.filePath().value_or(url.absoluteString());
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    std::string name = path.substr(path.find_last_of('/') + 1);
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    return name;
}

}  // namespace

std::span<const InstalledApplicationService::SuggestionRow>
InstalledApplicationService::suggestionTable() {
    return kSuggestions;
}

InstalledApplicationService::InstalledApplicationService(ApplicationCatalog& catalog,
                                                         text::LocalizedComparison nameOrder)
    : catalog_(catalog), nameOrder_(std::move(nameOrder)) {}

std::vector<InstalledApplicationSuggestion> InstalledApplicationService::suggestedApplications()
    const {
    std::vector<InstalledApplicationSuggestion> suggestions;
    for (const auto& row : suggestionTable()) {
        const auto installed = catalog_.application(row.identifier);
        if (!installed) {
            continue;
        }
        suggestions.push_back(
            {row.identifier, makeApplication(*installed, row.fallbackName), false});
    }
    return suggestions;
}

std::vector<InstalledApplication> InstalledApplicationService::installedApplications() const {
    auto applications = catalog_.installedApplications();
    std::sort(applications.begin(), applications.end(), [this](const auto& a, const auto& b) {
        const int order = nameOrder_.compare(a.name, b.name);
        return order != 0 ? order < 0 : a.identifier < b.identifier;
    });
    return applications;
}

EnabledApplication InstalledApplicationService::chooseApplication(
    const InstalledApplication& chosen) const {
    return makeApplication(chosen, chosen.name);
}

EnabledApplication InstalledApplicationService::makeApplication(
    const InstalledApplication& installed, const std::string& fallbackName) const {
    if (const auto url = Url::fileUrl(installed.filePath)) {
        return makeApplication(*url, fallbackName);
    }
    // Only a relative path has no URL; the catalog gives none, but the entry still stands.
    return EnabledApplication(installed.identifier, installed.name, std::nullopt, std::nullopt,
                              true, true, true, true, kDefaultConfidenceThreshold);
}

EnabledApplication InstalledApplicationService::makeApplication(
    const Url& url, const std::string& fallbackName) const {
    const auto path = url.filePath();
    const auto entry = path ? catalog_.applicationAt(*path) : std::nullopt;
    std::string identifier = entry ? entry->identifier : kLocalIdentifierPrefix + fileStem(url);
    std::string name = entry && !entry->name.empty() ? entry->name : fallbackName;
    return EnabledApplication(std::move(identifier), std::move(name), url, iconData(url), true,
                              true, true, true, kDefaultConfidenceThreshold);
}

std::optional<std::vector<std::uint8_t>> InstalledApplicationService::iconData(
    const Url& url) const {
    const auto path = url.filePath();
    if (!path) {
        return std::nullopt;
    }
    auto png = catalog_.iconPng(*path, kIconSize);
    if (png && png->size() > EnabledApplication::kMaximumIconBytes) {
        return std::nullopt;
    }
    return png;
}

}  // namespace plovik
