#pragma once

#include <filesystem>

namespace plovik {

// A fresh, private folder (by default under the system's temporary directory), removed with
// everything in it when the owner goes away.
class TemporaryFolder {
  public:
    // Throws std::filesystem::filesystem_error when no folder can be made.
    TemporaryFolder();
    explicit TemporaryFolder(const std::filesystem::path& parent);
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace plovik
