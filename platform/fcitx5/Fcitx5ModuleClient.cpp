#include "platform/fcitx5/Fcitx5ModuleClient.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <utility>
#include <variant>

#include "platform/fcitx5/protocol/FrameAssembler.h"
#include "platform/fcitx5/protocol/ModuleWire.h"

namespace plovik {

namespace {

// How many verdicts on held presses are kept for a claim that comes late.
constexpr std::uint64_t kRememberedVerdicts = 256;
// A module that takes longer to take a few bytes is hung.
constexpr timeval kWriteLimit{0, 100000};

}  // namespace

struct Fcitx5ModuleClient::Connection {
    explicit Connection(int descriptor) : socket(descriptor) {}

    FileDescriptor socket;
    std::mutex writing;
    bool greeted = false;
    std::optional<std::string> refusal;
};

Fcitx5ModuleClient::Fcitx5ModuleClient(std::optional<std::string> socketPath)
    : socketPath_(std::move(socketPath)) {}

Fcitx5ModuleClient::~Fcitx5ModuleClient() {
    close();
}

void Fcitx5ModuleClient::setHandlers(Handlers handlers) {
    handlers_ = std::move(handlers);
}

std::optional<std::string> Fcitx5ModuleClient::connect() {
    if (isConnected()) {
        return std::nullopt;
    }
    if (!socketPath_) {
        return std::string("no runtime folder ($XDG_RUNTIME_DIR) to find the Fcitx5 module in");
    }
    close();
    auto connection =
        std::make_shared<Connection>(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath_->c_str(), sizeof(address.sun_path) - 1);
    if (!connection->socket.isOpen() ||
        ::connect(connection->socket.get(), reinterpret_cast<const sockaddr*>(&address),
                  sizeof(address)) != 0) {
        return "the Plovik module of Fcitx5 does not answer at " + *socketPath_ + " (" +
               std::strerror(errno) + ")";
    }
    ::setsockopt(connection->socket.get(), SOL_SOCKET, SO_SNDTIMEO, &kWriteLimit,
                 sizeof(kWriteLimit));
    {
        std::lock_guard lock(mutex_);
        connection_ = connection;
        field_.reset();
        latestSequence_ = 0;
    }
    reader_ = std::thread([this, connection] { read(connection); });
    return awaitGreeting(connection);
}

std::optional<std::string> Fcitx5ModuleClient::awaitGreeting(
    const std::shared_ptr<Connection>& connection) {
    std::unique_lock lock(mutex_);
    const bool answered = replies_.wait_for(lock, 4 * kReplyLimit, [&] {
        return connection->greeted || connection->refusal || connection_ != connection;
    });
    if (connection->greeted) {
        return std::nullopt;
    }
    const std::string reason = connection->refusal.value_or(
        answered ? "the Fcitx5 module closed the connection" : "the Fcitx5 module did not answer");
    lock.unlock();
    close();
    return reason;
}

bool Fcitx5ModuleClient::isConnected() const {
    std::lock_guard lock(mutex_);
    return connection_ && connection_->greeted;
}

void Fcitx5ModuleClient::close() {
    std::shared_ptr<Connection> connection;
    {
        std::lock_guard lock(mutex_);
        connection = connection_;
    }
    if (connection) {
        ::shutdown(connection->socket.get(), SHUT_RDWR);
    }
    if (reader_.joinable() && reader_.get_id() != std::this_thread::get_id()) {
        reader_.join();
    }
}

void Fcitx5ModuleClient::read(std::shared_ptr<Connection> connection) {
    FrameAssembler frames;
    std::array<char, 65536> buffer{};
    while (true) {
        const ssize_t count = ::recv(connection->socket.get(), buffer.data(), buffer.size(), 0);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break;
        }
        frames.append(std::string_view(buffer.data(), static_cast<std::size_t>(count)));
        bool going = true;
        while (going) {
            auto message = frames.next();
            if (!message) {
                break;
            }
            going = take(*message, *connection);
        }
        if (!going || frames.isBroken()) {
            break;
        }
    }
    lose(connection);
}

bool Fcitx5ModuleClient::take(const ModuleMessage& message, Connection& connection) {
    if (const auto* hello = std::get_if<module::Hello>(&message)) {
        {
            std::lock_guard lock(mutex_);
            if (hello->version != module::kProtocolVersion) {
                connection.refusal =
                    "the Fcitx5 module speaks another version of Plovik's protocol "
                    "(Plovik and its module must come from the same release)";
            } else {
                connection.greeted = true;
            }
        }
        replies_.notify_all();
        if (hello->version != module::kProtocolVersion) {
            return false;
        }
        if (handlers_.connectionChanged) {
            handlers_.connectionChanged(true);
        }
    } else if (const auto* press = std::get_if<module::Press>(&message)) {
        {
            std::lock_guard lock(mutex_);
            latestSequence_ = press->sequence;
        }
        if (handlers_.press) {
            handlers_.press(*press);
        }
    } else if (const auto* taken = std::get_if<module::PressTaken>(&message)) {
        std::lock_guard lock(mutex_);
        claims_[taken->sequence] = true;
        replies_.notify_all();
    } else if (const auto* wentOn = std::get_if<module::PressWentOn>(&message)) {
        {
            std::lock_guard lock(mutex_);
            claims_[wentOn->sequence] = false;
            while (!claims_.empty() &&
                   claims_.begin()->first + kRememberedVerdicts < wentOn->sequence) {
                claims_.erase(claims_.begin());
            }
        }
        replies_.notify_all();
        if (handlers_.pressWentOn) {
            handlers_.pressWentOn(wentOn->sequence);
        }
    } else if (const auto* done = std::get_if<module::EditDone>(&message)) {
        std::lock_guard lock(mutex_);
        edits_[done->request] = done->status;
        replies_.notify_all();
    } else if (const auto* synced = std::get_if<module::Synced>(&message)) {
        std::lock_guard lock(mutex_);
        lastSynced_ = std::max(lastSynced_, synced->request);
        replies_.notify_all();
    } else {
        takeField(message);
    }
    return true;
}

void Fcitx5ModuleClient::takeField(const ModuleMessage& message) {
    if (const auto* focus = std::get_if<module::Focus>(&message)) {
        {
            std::lock_guard lock(mutex_);
            if (!field_ || field_->focus.context != focus->context) {
                field_ = Field{*focus, module::Surrounding{focus->context, false, {}, 0, 0}};
            }
            field_->focus = *focus;
        }
        if (handlers_.fieldChanged) {
            handlers_.fieldChanged();
        }
    } else if (const auto* surrounding = std::get_if<module::Surrounding>(&message)) {
        {
            std::lock_guard lock(mutex_);
            if (field_ && field_->focus.context == surrounding->context) {
                field_->surrounding = *surrounding;
            }
        }
        if (handlers_.fieldChanged) {
            handlers_.fieldChanged();
        }
    } else if (const auto* methods = std::get_if<module::InputMethods>(&message)) {
        {
            std::lock_guard lock(mutex_);
            inputMethods_ = *methods;
        }
        if (handlers_.inputMethodsChanged) {
            handlers_.inputMethodsChanged();
        }
    }
}

void Fcitx5ModuleClient::lose(const std::shared_ptr<Connection>& connection) {
    bool wasConnected = false;
    {
        std::lock_guard lock(mutex_);
        if (connection_ != connection) {
            return;
        }
        wasConnected = connection->greeted;
        connection_.reset();
        field_.reset();
    }
    replies_.notify_all();
    if (wasConnected && handlers_.connectionChanged) {
        handlers_.connectionChanged(false);
    }
}

bool Fcitx5ModuleClient::send(const ModuleMessage& message) {
    std::shared_ptr<Connection> connection;
    {
        std::lock_guard lock(mutex_);
        connection = connection_;
    }
    if (!connection) {
        return false;
    }
    const std::string frame = ModuleWire::encode(message);
    std::lock_guard writing(connection->writing);
    std::size_t sent = 0;
    while (sent < frame.size()) {
        const ssize_t count = ::send(connection->socket.get(), frame.data() + sent,
                                     frame.size() - sent, MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            // A module that does not read is as good as gone; the reader notices the end.
            ::shutdown(connection->socket.get(), SHUT_RDWR);
            return false;
        }
        sent += static_cast<std::size_t>(count);
    }
    return true;
}

bool Fcitx5ModuleClient::waitForReply(std::unique_lock<std::mutex>& lock,
                                      const std::function<bool()>& arrived) {
    const auto connection = connection_;
    replies_.wait_for(lock, kReplyLimit,
                      [&] { return arrived() || !connection_ || connection_ != connection; });
    return arrived();
}

bool Fcitx5ModuleClient::claim(std::uint64_t sequence) {
    if (!send(module::Answer{sequence, true})) {
        return false;
    }
    std::unique_lock lock(mutex_);
    const bool answered = waitForReply(lock, [&] { return claims_.count(sequence) != 0; });
    const bool taken = answered && claims_[sequence];
    claims_.erase(sequence);
    return taken;
}

std::optional<module::EditStatus> Fcitx5ModuleClient::edit(module::Edit request,
                                                           bool mayCarrySelection) {
    {
        std::lock_guard lock(mutex_);
        request.request = nextRequest_++;
        request.selectAfter = mayCarrySelection ? selectWithNextEdit_.value_or("") : "";
    }
    if (!send(request)) {
        return std::nullopt;
    }
    std::unique_lock lock(mutex_);
    if (!waitForReply(lock, [&] { return edits_.count(request.request) != 0; })) {
        return std::nullopt;
    }
    const auto status = edits_[request.request];
    edits_.erase(request.request);
    if (status == module::EditStatus::done && !request.selectAfter.empty() &&
        selectWithNextEdit_ == request.selectAfter) {
        selectWithNextEdit_.reset();
        selectedWithEdit_ = true;
    }
    return status;
}

bool Fcitx5ModuleClient::selectWithNextEdit(std::optional<std::string> inputMethod) {
    std::lock_guard lock(mutex_);
    selectWithNextEdit_ = std::move(inputMethod);
    return std::exchange(selectedWithEdit_, false);
}

bool Fcitx5ModuleClient::sync() {
    std::uint64_t request = 0;
    {
        std::lock_guard lock(mutex_);
        request = nextRequest_++;
    }
    if (!send(module::Sync{request})) {
        return false;
    }
    std::unique_lock lock(mutex_);
    return waitForReply(lock, [&] { return lastSynced_ >= request; });
}

std::optional<Fcitx5ModuleClient::Field> Fcitx5ModuleClient::focusedField() const {
    std::lock_guard lock(mutex_);
    return field_;
}

module::InputMethods Fcitx5ModuleClient::inputMethods() const {
    std::lock_guard lock(mutex_);
    return inputMethods_;
}

std::uint64_t Fcitx5ModuleClient::latestSequence() const {
    std::lock_guard lock(mutex_);
    return latestSequence_;
}

}  // namespace plovik
