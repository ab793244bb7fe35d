#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace plovik {

// The folder of the program's own read-only data files (language data): <prefix>/share/plovik
// for a program in <prefix>/bin. The build tree mirrors that layout (build/share/plovik
// links to the source's data/), so one rule serves installed programs, programs run from
// the build folder, tests and benchmarks, wherever the prefix was moved.
class DataDirectory {
  public:
    explicit DataDirectory(std::filesystem::path directory) : directory_(std::move(directory)) {}

    // The data folder of the program file at `program`.
    static DataDirectory besideProgram(const std::filesystem::path& program);
    // The running program's, through /proc/self/exe; absent when that link cannot be read.
    static std::optional<DataDirectory> ofRunningProgram();

    // The named file in the folder when it is a regular file (after links); absent for a
    // missing file, a folder, or a name that is absolute or climbs out with "..".
    std::optional<std::filesystem::path> file(std::string_view name) const;

    const std::filesystem::path& path() const { return directory_; }

  private:
    std::filesystem::path directory_;
};

}  // namespace plovik
