#include "framework/fcitx5/PlovikConnection.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "platform/fcitx5/protocol/ModuleWire.h"

namespace plovik {

bool PlovikConnection::send(const ModuleMessage& message) {
    if (broken_) {
        return false;
    }
    unsent_ += ModuleWire::encode(message);
    return flush();
}

bool PlovikConnection::flush() {
    while (!broken_ && !unsent_.empty()) {
        const ssize_t written =
            ::send(socket_.get(), unsent_.data(), unsent_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (written > 0) {
            unsent_.erase(0, static_cast<std::size_t>(written));
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        } else {
            broken_ = true;
        }
    }
    if (unsent_.size() > kMaximumBacklog) {
        broken_ = true;
    }
    return !broken_;
}

bool PlovikConnection::receive(std::deque<ModuleMessage>& messages) {
    std::array<char, 16384> buffer{};
    while (!broken_) {
        const ssize_t count = ::recv(socket_.get(), buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (count > 0) {
            frames_.append(std::string_view(buffer.data(), static_cast<std::size_t>(count)));
            while (auto message = frames_.next()) {
                messages.push_back(std::move(*message));
            }
            broken_ = frames_.isBroken();
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        } else {
            broken_ = true;
        }
    }
    return !broken_;
}

bool PlovikConnection::waitForInput(std::chrono::steady_clock::time_point deadline) const {
    pollfd entry{socket_.get(), POLLIN, 0};
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        const timespec timeout{static_cast<time_t>(left.count() / 1000000),
                               static_cast<long>(left.count() % 1000000) * 1000};
        const int ready = ::ppoll(&entry, 1, &timeout, nullptr);
        if (ready > 0) {
            return true;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

}  // namespace plovik
