#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace plovik {

// A file of /proc read whole. The process behind it may end between opening and reading,
// and the kernel then fails the read (ESRCH) rather than ending the file.
class ProcFile {
  public:
    // The contents; absent when the file cannot be opened or read to its end.
    static std::optional<std::string> read(const std::filesystem::path& path);
};

}  // namespace plovik
