#pragma once

#include <filesystem>
#include <optional>

#include "core/support/FileDescriptor.h"

namespace plovik {

// A fresh, private folder that goes with this process however the process ends: killed,
// out of memory, or writing into a closed pipe. A small helper process makes the folder
// and waits for this one's end of a pipe to close, which the kernel does on every kind of
// exit; so from the moment the folder exists, someone is there to remove it.
class ReapedFolder {
  public:
    // Makes "plovik-XXXXXX" with mode 0700 in `parent`. Call while the process has one
    // thread only. Throws std::filesystem::filesystem_error when no folder can be made
    // there, std::system_error when no helper could be started.
    explicit ReapedFolder(const std::filesystem::path& parent);
    ~ReapedFolder();
    ReapedFolder(const ReapedFolder&) = delete;
    ReapedFolder& operator=(const ReapedFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

  private:
    // The write end of the helper's pipe; open as long as this process lives.
    std::optional<FileDescriptor> lifeline_;
    std::filesystem::path path_;
};

}  // namespace plovik
