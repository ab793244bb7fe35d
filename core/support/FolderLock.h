#pragma once

#include <filesystem>

#include "core/support/FileDescriptor.h"

namespace plovik {

// An advisory exclusive lock (flock) on a folder, held while the object lives; another
// process taking the same lock waits. The folder is locked rather than a file in it, since
// files there are replaced by renaming. A missing folder is created (mode 0700).
class FolderLock {
  public:
    explicit FolderLock(const std::filesystem::path& folder);

    // False when the folder could not be opened or locked: the caller goes on unprotected.
    bool isHeld() const { return held_; }

  private:
    FileDescriptor folder_;
    bool held_ = false;
};

}  // namespace plovik
