#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <variant>

namespace plovik {

// One private file that is only ever replaced whole, so a reader sees either the old or
// the new contents, never a mixture.
class AtomicFile {
  public:
    struct Absent {
        bool operator==(const Absent&) const = default;
    };
    // Something is there, but it is not a regular file or could not be read.
    struct Unreadable {
        // Why, in the system's words ("Is a directory").
        std::string reason;
        bool operator==(const Unreadable&) const = default;
    };
    using ReadResult = std::variant<Absent, Unreadable, std::string>;

    enum class MoveResult { moved, sourceAbsent, targetTaken, failed };

    explicit AtomicFile(std::filesystem::path path);

    const std::filesystem::path& path() const { return path_; }

    ReadResult read() const;
    // Creates missing folders (mode 0700), writes a temporary file with the given mode in the
    // same folder, flushes it to disk and renames it over the file. False when any step
    // failed (with the cause in `error`); the old file is then untouched.
    bool replace(std::string_view bytes, mode_t mode) const;
    bool replace(std::string_view bytes, mode_t mode, std::error_code& error) const;
    // False when nothing was removed.
    bool remove() const;
    // Renames the file to `target`, never replacing an existing one.
    MoveResult moveWithoutReplacing(const std::filesystem::path& target) const;

  private:
    std::filesystem::path path_;
};

}  // namespace plovik
