#include "core/decision/LanguageDataDirectory.h"

#include <cstdlib>
#include <system_error>

namespace plovik {

namespace {

constexpr const char* kOverride = "PLOVIK_LANGUAGE_DATA";
constexpr const char* kProbeFile = "en.words";

std::optional<std::filesystem::path> besideExecutable() {
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return std::nullopt;
    }
    return executable.parent_path().parent_path() / "share" / "plovik" / "language";
}

}  // namespace

std::vector<std::filesystem::path> LanguageDataDirectory::candidates() {
    std::vector<std::filesystem::path> places;
    if (const char* chosen = std::getenv(kOverride); chosen != nullptr && *chosen != '\0') {
        places.emplace_back(chosen);
    }
    if (auto beside = besideExecutable()) {
        places.push_back(std::move(*beside));
    }
    places.emplace_back(PLOVIK_INSTALLED_LANGUAGE_DATA);
    places.emplace_back(PLOVIK_SOURCE_LANGUAGE_DATA);
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
