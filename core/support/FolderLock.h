#pragma once

#include <filesystem>

#include "core/support/FileDescriptor.h"

namespace plovik {

// An advisory exclusive lock (flock) on a folder, held while the object lives; another
// process taking the same lock waits. The folder is locked rather than a file in it, since
// files there are replaced by renaming. A missing folder is created (mode 0700). When the
// folder cannot be opened or locked, the caller goes on unprotected.
class FolderLock {
  public:
    explicit FolderLock(const std::filesystem::path& folder);

  private:
    FileDescriptor folder_;
};

}  // namespace plovik
