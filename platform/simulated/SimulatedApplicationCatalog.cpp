#include "platform/simulated/SimulatedApplicationCatalog.h"

#include <algorithm>
#include <utility>

namespace plovik {

std::vector<InstalledApplication> SimulatedApplicationCatalog::installedApplications() {
    std::vector<InstalledApplication> shown;
    for (const auto& entry : entries_) {
        if (entry.isShown) {
            shown.push_back(entry.application);
        }
    }
    return shown;
}

std::optional<InstalledApplication> SimulatedApplicationCatalog::application(
    const std::string& identifier) {
    for (const auto& entry : entries_) {
        if (entry.isShown && entry.application.identifier == identifier) {
            return entry.application;
        }
    }
    return std::nullopt;
}

std::optional<InstalledApplication> SimulatedApplicationCatalog::applicationAt(
    const std::string& filePath) {
    const auto* entry = entryAt(filePath);
    return entry ? std::optional(entry->application) : std::nullopt;
}

std::optional<std::vector<std::uint8_t>> SimulatedApplicationCatalog::iconPng(
    const std::string& filePath, int /*size*/) {
    const auto* entry = entryAt(filePath);
    return entry ? entry->icon : std::nullopt;
}

void SimulatedApplicationCatalog::install(InstalledApplication application,
                                          std::optional<std::vector<std::uint8_t>> icon,
                                          bool isShown) {
    uninstall(application.identifier);
    entries_.push_back({std::move(application), std::move(icon), isShown});
}

void SimulatedApplicationCatalog::uninstall(const std::string& identifier) {
    std::erase_if(entries_,
                  [&](const Entry& entry) { return entry.application.identifier == identifier; });
}

const SimulatedApplicationCatalog::Entry* SimulatedApplicationCatalog::entryAt(
    const std::string& filePath) const {
    const auto found = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) {
        return entry.application.filePath == filePath;
    });
    return found == entries_.end() ? nullptr : &*found;
}

}  // namespace plovik
