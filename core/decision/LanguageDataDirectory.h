#pragma once

#include <filesystem>
#include <optional>
#include <vector>

namespace plovik {

// Where the language files of the extended engine are: the "language" folder of the
// program's data folder (<prefix>/share/plovik/language, or the build tree's mirror of
// data/). PLOVIK_LANGUAGE_DATA, when set, is looked at first.
class LanguageDataDirectory {
  public:
    // The places looked at, in order.
    static std::vector<std::filesystem::path> candidates();
    // The first candidate that holds the English word list; absent when none does.
    static std::optional<std::filesystem::path> locate();
};

}  // namespace plovik
