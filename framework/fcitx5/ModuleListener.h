#pragma once

#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "framework/fcitx5/SocketDescriptor.h"

namespace plovik {

// The module's listening socket: a file only its user may open, and connections taken only
// from processes of that same user.
class ModuleListener {
  public:
    // A readable reason when the socket cannot be made; a socket that another live module
    // listens on is left alone.
    static std::variant<std::unique_ptr<ModuleListener>, std::string> listen(
        const std::string& path);
    ~ModuleListener();
    ModuleListener(const ModuleListener&) = delete;
    ModuleListener& operator=(const ModuleListener&) = delete;

    int descriptor() const { return socket_.get(); }
    const std::string& path() const { return path_; }

    // A waiting connection of this user, non-blocking; an unopened descriptor when none
    // waits, and for another user's process, which is hung up on.
    SocketDescriptor accept();
    // The user id of a connected peer; absent when the system does not tell.
    static std::optional<uid_t> peerUser(int descriptor);

  private:
    ModuleListener(SocketDescriptor socket, std::string path, ino_t inode);

    SocketDescriptor socket_;
    std::string path_;
    // Removed at the end only while the path still names this socket.
    ino_t inode_;
};

}  // namespace plovik
