#include "platform/sway/SwayIpcConnection.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace plovik {

namespace {

constexpr std::string_view kMagic = "i3-ipc";
constexpr std::size_t kHeader = kMagic.size() + 8;
// Sway answers from its event loop at once; a tree of a crowded desktop is the largest.
constexpr int kReplyLimitMs = 500;
constexpr std::uint32_t kLargestMessage = 64 * 1024 * 1024;

}  // namespace

SwayIpcConnection::SwayIpcConnection(int descriptor)
    : socket_(std::make_unique<FileDescriptor>(descriptor)) {}

std::optional<SwayIpcConnection> SwayIpcConnection::open(const std::string& socketPath) {
    sockaddr_un address{};
    if (socketPath.empty() || socketPath.size() >= sizeof(address.sun_path)) {
        return std::nullopt;
    }
    SwayIpcConnection connection(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    if (!connection.socket_->isOpen() ||
        ::connect(connection.descriptor(), reinterpret_cast<const sockaddr*>(&address),
                  sizeof(address)) != 0) {
        return std::nullopt;
    }
    return connection;
}

std::string SwayIpcConnection::frame(std::uint32_t type, const std::string& payload) {
    std::string bytes(kMagic);
    const auto length = static_cast<std::uint32_t>(payload.size());
    bytes.append(reinterpret_cast<const char*>(&length), sizeof(length));
    bytes.append(reinterpret_cast<const char*>(&type), sizeof(type));
    return bytes + payload;
}

bool SwayIpcConnection::parse(std::string& bytes, std::vector<Message>& messages) {
    while (bytes.size() >= kHeader) {
        if (bytes.compare(0, kMagic.size(), kMagic) != 0) {
            return false;
        }
        std::uint32_t length = 0;
        Message message;
        std::memcpy(&length, bytes.data() + kMagic.size(), sizeof(length));
        std::memcpy(&message.type, bytes.data() + kMagic.size() + 4, sizeof(message.type));
        if (length > kLargestMessage) {
            return false;
        }
        if (bytes.size() < kHeader + length) {
            break;
        }
        message.payload = bytes.substr(kHeader, length);
        bytes.erase(0, kHeader + length);
        messages.push_back(std::move(message));
    }
    return true;
}

std::optional<std::string> SwayIpcConnection::request(std::uint32_t type,
                                                      const std::string& payload) {
    const std::string bytes = frame(type, payload);
    if (::send(descriptor(), bytes.data(), bytes.size(), MSG_NOSIGNAL) !=
        static_cast<ssize_t>(bytes.size())) {
        return std::nullopt;
    }
    std::vector<Message> messages;
    while (true) {
        for (auto& message : messages) {
            if (message.type == type) {
                return std::move(message.payload);
            }
        }
        messages.clear();
        pollfd entry{descriptor(), POLLIN, 0};
        if (::poll(&entry, 1, kReplyLimitMs) <= 0 || !readAvailable(messages)) {
            return std::nullopt;
        }
    }
}

bool SwayIpcConnection::readAvailable(std::vector<Message>& messages) {
    std::array<char, 65536> buffer{};
    while (true) {
        const ssize_t count = ::recv(descriptor(), buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (count > 0) {
            pending_.append(buffer.data(), static_cast<std::size_t>(count));
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        const bool open = count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        return parse(pending_, messages) && open;
    }
}

}  // namespace plovik
