#include "core/decision/LanguageDataDirectory.h"

#include <cstdlib>
#include <system_error>

#include "core/support/DataDirectory.h"

namespace plovik {

namespace {

constexpr const char* kOverride = "PLOVIK_LANGUAGE_DATA";
constexpr const char* kProbeFile = "en.words";
constexpr const char* kFolder = "language";

}  // namespace

std::vector<std::filesystem::path> LanguageDataDirectory::candidates() {
    std::vector<std::filesystem::path> places;
    if (const char* chosen = std::getenv(kOverride); chosen != nullptr && *chosen != '\0') {
        places.emplace_back(chosen);
    }
    if (const auto data = DataDirectory::ofRunningProgram()) {
        places.push_back(data->path() / kFolder);
    }
    return places;
}

std::optional<std::filesystem::path> LanguageDataDirectory::locate() {
    for (const auto& place : candidates()) {
        std::error_code error;
        if (std::filesystem::is_regular_file(place / kProbeFile, error)) {
            return place;
        }
    }
    return std::nullopt;
}

}  // namespace plovik
