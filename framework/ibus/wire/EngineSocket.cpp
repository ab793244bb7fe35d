#include "framework/ibus/wire/EngineSocket.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace plovik::ibus {

namespace {

constexpr int kBacklog = 4;

std::optional<sockaddr_un> address(const std::string& path) {
    sockaddr_un result{};
    result.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(result.sun_path)) {
        return std::nullopt;
    }
    std::memcpy(result.sun_path, path.c_str(), path.size() + 1);
    return result;
}

std::string systemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

bool peerIsThisUser(int descriptor) {
    ucred credentials{};
    socklen_t length = sizeof(credentials);
    return ::getsockopt(descriptor, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 &&
           credentials.uid == ::getuid();
}

// The folder must be ours and closed to others: a socket in a folder another user can
// write could be swapped for theirs.
std::optional<std::string> privateFolder(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return systemError("cannot create " + folder);
    }
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0) {
        return systemError("cannot look at " + folder);
    }
    if (!S_ISDIR(status.st_mode) || status.st_uid != ::getuid() || (status.st_mode & 077) != 0) {
        return folder + " is not a private folder of this user";
    }
    return std::nullopt;
}

int newSocket() {
    return ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
}

}  // namespace

std::optional<std::string> EngineSocket::defaultPath(const Environment& environment) {
    const auto runtime = environment("XDG_RUNTIME_DIR");
    if (!runtime || runtime->empty() || runtime->front() != '/') {
        return std::nullopt;
    }
    return *runtime + "/plovik/ibus-engine";
}

std::variant<EngineSocket, std::string> EngineSocket::listen(const std::string& path) {
    const auto where = address(path);
    const auto slash = path.rfind('/');
    if (!where || slash == std::string::npos || slash == 0) {
        return "not a socket path: " + path;
    }
    if (auto problem = privateFolder(path.substr(0, slash))) {
        return *problem;
    }
    EngineSocket socket(newSocket());
    if (socket.descriptor_ < 0) {
        return systemError("cannot make a socket");
    }
    // A socket left by an engine that died is in the way; a live one is replaced too.
    ::unlink(path.c_str());
    if (::bind(socket.descriptor_, reinterpret_cast<const sockaddr*>(&*where), sizeof(*where)) !=
            0 ||
        ::listen(socket.descriptor_, kBacklog) != 0) {
        return systemError("cannot listen at " + path);
    }
    socket.path_ = path;
    return socket;
}

std::variant<EngineSocket, std::string> EngineSocket::connect(const std::string& path) {
    const auto where = address(path);
    if (!where) {
        return "not a socket path: " + path;
    }
    // Blocking for the connect itself: a local listener answers at once or not at all.
    EngineSocket socket(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    if (socket.descriptor_ < 0) {
        return systemError("cannot make a socket");
    }
    if (::connect(socket.descriptor_, reinterpret_cast<const sockaddr*>(&*where), sizeof(*where)) !=
        0) {
        return systemError("cannot connect to " + path);
    }
    if (!peerIsThisUser(socket.descriptor_)) {
        return path + " belongs to another user";
    }
    ::fcntl(socket.descriptor_, F_SETFL, ::fcntl(socket.descriptor_, F_GETFL) | O_NONBLOCK);
    return socket;
}

EngineSocket::EngineSocket(int descriptor, std::string removeOnClose)
    : descriptor_(descriptor), path_(std::move(removeOnClose)) {}

EngineSocket::EngineSocket(EngineSocket&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)),
      buffer_(std::move(other.buffer_)),
      path_(std::exchange(other.path_, {})) {}

EngineSocket& EngineSocket::operator=(EngineSocket&& other) noexcept {
    if (this != &other) {
        close();
        descriptor_ = std::exchange(other.descriptor_, -1);
        buffer_ = std::move(other.buffer_);
        path_ = std::exchange(other.path_, {});
    }
    return *this;
}

EngineSocket::~EngineSocket() {
    close();
}

void EngineSocket::close() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
    if (!path_.empty()) {
        ::unlink(path_.c_str());
        path_.clear();
    }
}

std::optional<EngineSocket> EngineSocket::accept() {
    const int accepted = ::accept4(descriptor_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (accepted < 0) {
        return std::nullopt;
    }
    EngineSocket peer(accepted);
    if (!peerIsThisUser(accepted)) {
        return std::nullopt;
    }
    return peer;
}

bool EngineSocket::send(const EngineMessage& message) {
    const std::string bytes = message.encode();
    if (descriptor_ < 0 || bytes.size() > EngineMessage::kMaximumSize) {
        return false;
    }
    const ssize_t sent =
        ::send(descriptor_, bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    return sent == static_cast<ssize_t>(bytes.size());
}

EngineSocket::Received EngineSocket::receive(std::chrono::milliseconds timeout) {
    if (descriptor_ < 0) {
        return {Status::closed, std::nullopt};
    }
    pollfd request{descriptor_, POLLIN, 0};
    const int ready =
        ::poll(&request, 1, static_cast<int>(std::max<std::int64_t>(timeout.count(), 0)));
    if (ready <= 0) {
        return {ready < 0 && errno != EINTR ? Status::closed : Status::nothing, std::nullopt};
    }
    buffer_.resize(EngineMessage::kMaximumSize + 1);
    const ssize_t length = ::recv(descriptor_, buffer_.data(), buffer_.size(), MSG_DONTWAIT);
    if (length == 0 || (length < 0 && errno != EAGAIN && errno != EINTR)) {
        return {Status::closed, std::nullopt};
    }
    if (length < 0) {
        return {Status::nothing, std::nullopt};
    }
    auto message =
        EngineMessage::decode(std::string_view(buffer_.data(), static_cast<std::size_t>(length)));
    return {message ? Status::message : Status::nothing, std::move(message)};
}

}  // namespace plovik::ibus
