#include "platform/fcitx5/protocol/ModuleSocketPath.h"

#include <sys/un.h>

#include <cstdlib>

namespace plovik {

std::optional<std::string> ModuleSocketPath::inRuntimeFolder(const char* runtimeFolder) {
    if (!runtimeFolder || runtimeFolder[0] != '/') {
        return std::nullopt;
    }
    std::string path = runtimeFolder;
    if (path.back() != '/') {
        path += '/';
    }
    path += kFileName;
    if (path.size() >= sizeof(sockaddr_un{}.sun_path)) {
        return std::nullopt;
    }
    return path;
}

std::optional<std::string> ModuleSocketPath::forThisProcess() {
    return inRuntimeFolder(std::getenv("XDG_RUNTIME_DIR"));
}

}  // namespace plovik
