#pragma once

#include <filesystem>
#include <functional>
#include <memory>

namespace plovik {

// Calls a function whenever a file may have changed: written, replaced by a rename,
// created or removed, by any program. Watches through GIO on the thread-default main
// context of the thread that creates it, which also delivers the calls. A file in a
// folder that does not exist yet is watched too.
class FileChangeMonitor {
  public:
    // Absent when the system cannot watch the file.
    static std::unique_ptr<FileChangeMonitor> watch(const std::filesystem::path& file,
                                                    std::function<void()> onChange);
    ~FileChangeMonitor();
    FileChangeMonitor(const FileChangeMonitor&) = delete;
    FileChangeMonitor& operator=(const FileChangeMonitor&) = delete;

  private:
    struct Handles;
    explicit FileChangeMonitor(std::unique_ptr<Handles> handles);

    std::unique_ptr<Handles> handles_;
};

}  // namespace plovik
