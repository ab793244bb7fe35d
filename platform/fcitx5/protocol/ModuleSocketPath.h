#pragma once

#include <optional>
#include <string>

namespace plovik {

// Where the Fcitx5 module listens for Plovik: a socket in the user's runtime folder, which
// only the user can enter; the module also checks who connects.
class ModuleSocketPath {
  public:
    static constexpr const char* kFileName = "plovik-fcitx5.socket";

    // Absent without a usable runtime folder (unset, relative, or too long for a socket).
    static std::optional<std::string> inRuntimeFolder(const char* runtimeFolder);
    // The same for this process's $XDG_RUNTIME_DIR.
    static std::optional<std::string> forThisProcess();
};

}  // namespace plovik
