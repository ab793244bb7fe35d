#pragma once

#include <filesystem>
#include <optional>
#include <vector>

namespace plovik {

// Where the language files of the extended engine are: beside an installed program
// (<prefix>/share/plovik/language), in the installation prefix the build was configured
// for, or in the source tree the build came from. PLOVIK_LANGUAGE_DATA overrides all three.
class LanguageDataDirectory {
  public:
    // The places looked at, in order.
    static std::vector<std::filesystem::path> candidates();
    // The first candidate that holds the English word list; absent when none does.
    static std::optional<std::filesystem::path> locate();
};

}  // namespace plovik
