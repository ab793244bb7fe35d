#pragma once

#include <filesystem>
#include <optional>

#include "core/support/FileDescriptor.h"

namespace plovik {

// Removes a folder once this process has ended, however it ends: killed, out of memory,
// or writing into a closed pipe. A small helper process waits for this one's end of a
// pipe to close, which the kernel does on every kind of exit.
class FolderReaper {
  public:
    // Call while the process has one thread only. False when no helper could be started.
    bool watch(const std::filesystem::path& folder);

  private:
    // The write end of the pipe; open as long as this process lives.
    std::optional<FileDescriptor> lifeline_;
};

}  // namespace plovik
