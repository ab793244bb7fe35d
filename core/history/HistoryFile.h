#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>
#include <variant>
#include <vector>

#include "core/history/CorrectionRecord.h"
#include "core/history/HistoryRetention.h"
#include "core/platform/Clock.h"
#include "core/support/AtomicFile.h"

namespace plovik {

// The file operations of the history store: whole-file reads, atomic private writes,
// removal, and setting a damaged file aside.
class HistoryFile {
  public:
    using Absent = AtomicFile::Absent;
    // Something is there, but it could not be read.
    using Unreadable = AtomicFile::Unreadable;
    using ReadResult = AtomicFile::ReadResult;

    explicit HistoryFile(std::filesystem::path path);

    const std::filesystem::path& path() const { return file_.path(); }

    ReadResult read() const;
    // Something is there, but it is not a readable history: keep it aside before replacing.
    struct Damaged {
        bool operator==(const Damaged&) const = default;
    };
    using Records = std::variant<Absent, Damaged, std::vector<CorrectionRecord>>;
    // The records the retention keeps, in bounded memory however long the file is. An empty
    // file holds no records.
    Records readRetained(const HistoryRetention& retention) const;
    // Creates missing directories (mode 0700), writes a temporary file (mode 0600) in the same
    // folder, flushes it to disk and renames it over the target, so a reader sees either the
    // old or the new contents. False when any step failed; the old file is then untouched.
    bool write(std::string_view bytes) const;
    bool write(std::string_view bytes, std::error_code& error) const;
    // False when nothing was removed.
    bool remove() const;
    // Renames the file to "<name>.unreadable-<UTC time>" (with "-2", "-3"... if taken), never
    // replacing an existing file. False when it could not be moved; a missing file counts as
    // moved.
    bool keepAside(TimePoint now) const;
    // Removes all but the newest `count` copies kept aside.
    void pruneCopiesKeptAside(std::size_t count) const;

  private:
    AtomicFile file_;
};

}  // namespace plovik
