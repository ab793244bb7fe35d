#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace plovik::testing {

// Why a test over the system's dictionaries must skip, if one it relies on is missing.
inline std::optional<std::string> missingDictionary(const std::vector<std::string>& available) {
    for (const char* tag : {"en_US", "ru_RU", "uk_UA"}) {
        if (std::ranges::find(available, tag) == available.end()) {
            return "hunspell dictionary " + std::string(tag) +
                   " is not installed (scripts/install-deps.sh installs it)";
        }
    }
    return std::nullopt;
}

}  // namespace plovik::testing
