#include "framework/fcitx5/ModuleListener.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace plovik {

namespace {

std::optional<sockaddr_un> addressOf(const std::string& path) {
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof(address.sun_path)) {
        return std::nullopt;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

std::string failure(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

// A socket file nobody answers on is left over from a module that ended.
bool isStale(const sockaddr_un& address) {
    SocketDescriptor probe(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!probe.isOpen()) {
        return false;
    }
    const int result =
        ::connect(probe.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    return result != 0 && errno == ECONNREFUSED;
}

}  // namespace

std::variant<std::unique_ptr<ModuleListener>, std::string> ModuleListener::listen(
    const std::string& path) {
    const auto address = addressOf(path);
    if (!address) {
        return "cannot use the socket path " + path;
    }
    SocketDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket.isOpen()) {
        return failure("cannot create a socket for", path);
    }
    const auto* raw = reinterpret_cast<const sockaddr*>(&*address);
    if (::bind(socket.get(), raw, sizeof(*address)) != 0) {
        if (errno != EADDRINUSE || !isStale(*address) || ::unlink(path.c_str()) != 0 ||
            ::bind(socket.get(), raw, sizeof(*address)) != 0) {
            return failure("cannot listen on", path);
        }
    }
    struct stat status {};
    if (::chmod(path.c_str(), 0600) != 0 || ::stat(path.c_str(), &status) != 0 ||
        ::listen(socket.get(), 4) != 0) {
        return failure("cannot listen on", path);
    }
    return std::unique_ptr<ModuleListener>(
        new ModuleListener(std::move(socket), path, status.st_ino));
}

ModuleListener::ModuleListener(SocketDescriptor socket, std::string path, ino_t inode)
    : socket_(std::move(socket)), path_(std::move(path)), inode_(inode) {}

ModuleListener::~ModuleListener() {
    struct stat status {};
    if (::stat(path_.c_str(), &status) == 0 && status.st_ino == inode_) {
        ::unlink(path_.c_str());
    }
}

SocketDescriptor ModuleListener::accept() {
    SocketDescriptor connection(
        ::accept4(socket_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (!connection.isOpen()) {
        return {};
    }
    if (peerUser(connection.get()) != ::geteuid()) {
        return {};
    }
    return connection;
}

std::optional<uid_t> ModuleListener::peerUser(int descriptor) {
    ucred credentials{};
    socklen_t length = sizeof(credentials);
    if (::getsockopt(descriptor, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0 ||
        length != sizeof(credentials)) {
        return std::nullopt;
    }
    return credentials.uid;
}

}  // namespace plovik
